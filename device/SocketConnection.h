// A Connection over one end of an AF_UNIX SOCK_SEQPACKET socket pair: one packet is one
// 65-byte report. The other end belongs to a simulated unit or to a test.
#pragma once

#include "device/Connection.h"
#include "sys/UniqueFd.h"

namespace device {

class SocketConnection final : public Connection {
public:
    explicit SocketConnection(sys::UniqueFd socket);

    int fd() const override { return socket_.get(); }
    IoResult ReadReport(pedal::Report& report) override;
    IoResult WriteReport(const pedal::Report& report, std::chrono::milliseconds deadline,
                         int abortFd = -1) override;
    void Close() override { socket_.reset(); }

private:
    sys::UniqueFd socket_;
};

// Reads one packet from a non-blocking SEQPACKET socket into a report: a shorter packet is
// zero-filled, a longer one cut. Shared by both ends of the pair.
IoResult ReadPacket(int fd, pedal::Report& report);
// Writes one report as one packet, waiting for room until `deadline` or `abortFd`.
IoResult WritePacket(int fd, const pedal::Report& report, std::chrono::milliseconds deadline,
                     int abortFd = -1);

}  // namespace device
