// A Connection over an open hidraw node. hidraw passes one report per read and per write;
// for a device that does not number its reports a read gives the payload alone, which this
// connection presents with report ID 0 in front. Writes carry the report ID first, as hidraw
// expects (0 for an unnumbered report), so a report is written exactly as framed.
#pragma once

#include "device/Connection.h"
#include "sys/UniqueFd.h"

namespace device {

class HidrawConnection final : public Connection {
public:
    // Takes an fd opened O_RDWR | O_NONBLOCK; `numbered` when the descriptor has report IDs.
    HidrawConnection(sys::UniqueFd fd, bool numbered);

    int fd() const override { return fd_.get(); }
    IoResult ReadReport(pedal::Report& report) override;
    // hidraw always polls writable and its write is synchronous in the kernel: the driver's
    // own transfer timeout bounds a write that has started, not `deadline`.
    IoResult WriteReport(const pedal::Report& report, std::chrono::milliseconds deadline,
                         int abortFd = -1) override;
    void Close() override { fd_.reset(); }

private:
    sys::UniqueFd fd_;
    bool numbered_;
};

}  // namespace device
