// How a simulated unit reaches the host: one report per packet, in both directions.
#pragma once

#include <span>

#include "pedal/Commands.h"
#include "sys/UniqueFd.h"

namespace sim {

enum class TransportResult { Ok, WouldBlock, Closed };

class UnitTransport {
public:
    virtual ~UnitTransport() = default;
    // Readable when the host has written a report; writable when there is room.
    virtual int fd() const = 0;
    // Reads one report the host wrote.
    virtual TransportResult Receive(pedal::Report& report) = 0;
    // Sends one packet to the host (normally a 65-byte report; any length for fault tests).
    virtual TransportResult Send(std::span<const std::uint8_t> packet) = 0;
};

// The unit's end of a SOCK_SEQPACKET pair; the host's end is a device::SocketConnection.
class SocketTransport final : public UnitTransport {
public:
    explicit SocketTransport(sys::UniqueFd socket) : socket_(std::move(socket)) {}
    int fd() const override { return socket_.get(); }
    TransportResult Receive(pedal::Report& report) override;
    TransportResult Send(std::span<const std::uint8_t> packet) override;

private:
    sys::UniqueFd socket_;
};

}  // namespace sim
