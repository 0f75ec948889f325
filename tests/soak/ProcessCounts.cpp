#include "ProcessCounts.h"

#include <dirent.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

namespace soak {
namespace {

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};
using UniqueDir = std::unique_ptr<DIR, DirCloser>;

// Names of the entries of `path` other than "." and "..".
std::vector<std::string> Entries(const char* path) {
    std::vector<std::string> out;
    UniqueDir dir(::opendir(path));
    if (!dir) return out;
    while (const dirent* e = ::readdir(dir.get())) {
        const std::string name = e->d_name;
        if (name != "." && name != "..") out.push_back(name);
    }
    return out;
}

}  // namespace

int OpenFdCount() {
    // The listing itself holds one descriptor while it reads.
    return static_cast<int>(Entries("/proc/self/fd").size()) - 1;
}

std::vector<TaskInfo> Tasks() {
    std::vector<TaskInfo> out;
    for (const auto& tid : Entries("/proc/self/task")) {
        TaskInfo t;
        t.Tid = std::atoi(tid.c_str());
        std::ifstream comm("/proc/self/task/" + tid + "/comm");
        std::getline(comm, t.Name);  // a thread that has just gone leaves the name empty
        out.push_back(std::move(t));
    }
    return out;
}

bool IsQtPoolWorker(const TaskInfo& t) {
    return t.Name == "Thread (pooled)";
}

std::vector<TaskInfo> OwnTasks() {
    std::vector<TaskInfo> out;
    for (auto& t : Tasks())
        if (!IsQtPoolWorker(t)) out.push_back(std::move(t));
    return out;
}

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) != 0) continue;
        std::istringstream in(line.substr(6));
        long kib = -1;
        in >> kib;
        return kib;
    }
    return -1;
}

std::string Describe(const std::vector<TaskInfo>& tasks) {
    std::string s;
    for (const auto& t : tasks) {
        if (!s.empty()) s += ", ";
        s += std::to_string(t.Tid) + " " + t.Name;
    }
    return s;
}

}  // namespace soak
