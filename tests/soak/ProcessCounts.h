// What the process holds right now, read from /proc/self: open file descriptors, threads
// (with their names) and resident memory. Linux only.
#pragma once

#include <string>
#include <vector>

namespace soak {

// Open file descriptors, not counting the one used to list them.
int OpenFdCount();

struct TaskInfo {
    int Tid = 0;
    std::string Name;  // /proc/self/task/<tid>/comm
};
std::vector<TaskInfo> Tasks();

// Qt's global thread pool starts and retires its workers ("Thread (pooled)") on its own
// (an idle worker ends after 30 s); they are Qt's, not ours, and are left out here.
bool IsQtPoolWorker(const TaskInfo& t);
// The threads that are not Qt pool workers.
std::vector<TaskInfo> OwnTasks();

// Resident set size in KiB (VmRSS), or -1 when it cannot be read.
long ResidentKiB();

// "tid name, tid name, ..." for a failure message.
std::string Describe(const std::vector<TaskInfo>& tasks);

}  // namespace soak
