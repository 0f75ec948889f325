// The port the I/O thread talks through: one open HID interface, seen as 65-byte reports
// (report ID 0 in front). Implemented by the Linux hidraw backend and the virtual platform.
#pragma once

#include <chrono>

#include "pedal/Commands.h"

namespace device {

enum class IoResult {
    Ok,          // one whole report moved
    WouldBlock,  // nothing to read yet
    TimedOut,    // the write could not start before its deadline; nothing was written
    Aborted,     // the write gave way to a stop request; nothing was written
    Failed,      // the interface is gone or unusable
};

class Connection {
public:
    virtual ~Connection() = default;

    // Readable (POLLIN, or POLLHUP/POLLERR when gone) when a report can be read.
    virtual int fd() const = 0;
    // Reads one report without blocking; the report ID byte is 0 for unnumbered reports.
    virtual IoResult ReadReport(pedal::Report& report) = 0;
    // Writes one whole report or nothing, waiting at most `deadline` for room. A write that
    // returns TimedOut has left nothing in flight. `abortFd`, when not -1, ends the wait
    // early (Aborted) as soon as it becomes readable.
    virtual IoResult WriteReport(const pedal::Report& report, std::chrono::milliseconds deadline,
                                 int abortFd = -1) = 0;
    // Closes the interface; later reads and writes fail.
    virtual void Close() = 0;
};

}  // namespace device
