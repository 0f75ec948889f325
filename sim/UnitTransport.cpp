#include "sim/UnitTransport.h"

#include <sys/socket.h>

#include <cerrno>

namespace sim {

TransportResult SocketTransport::Receive(pedal::Report& report) {
    for (;;) {
        report.fill(0);
        const ssize_t n = ::recv(socket_.get(), report.data(), report.size(), MSG_DONTWAIT);
        if (n > 0) return TransportResult::Ok;
        if (n == 0) return TransportResult::Closed;
        // ECONNRESET: the host closed with our reports unread; what it wrote before that is
        // still queued, and the next call reads it (then end of file).
        if (errno == EINTR || errno == ECONNRESET) continue;
        return (errno == EAGAIN || errno == EWOULDBLOCK) ? TransportResult::WouldBlock
                                                         : TransportResult::Closed;
    }
}

TransportResult SocketTransport::Send(std::span<const std::uint8_t> packet) {
    for (;;) {
        const ssize_t n =
            ::send(socket_.get(), packet.data(), packet.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n >= 0) return TransportResult::Ok;
        if (errno == EINTR) continue;
        return (errno == EAGAIN || errno == EWOULDBLOCK) ? TransportResult::WouldBlock
                                                         : TransportResult::Closed;
    }
}

}  // namespace sim
