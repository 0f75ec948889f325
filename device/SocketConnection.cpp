#include "device/SocketConnection.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

namespace device {

using Clock = std::chrono::steady_clock;

SocketConnection::SocketConnection(sys::UniqueFd socket) : socket_(std::move(socket)) {}

IoResult SocketConnection::ReadReport(pedal::Report& report) {
    return ReadPacket(socket_.get(), report);
}

IoResult SocketConnection::WriteReport(const pedal::Report& report,
                                       std::chrono::milliseconds deadline, int abortFd) {
    return WritePacket(socket_.get(), report, deadline, abortFd);
}

IoResult ReadPacket(int fd, pedal::Report& report) {
    if (fd < 0) return IoResult::Failed;
    pedal::Report buffer{};
    for (;;) {
        const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (n > 0) {
            report = buffer;  // only a report that was actually read reaches the caller
            return IoResult::Ok;
        }
        if (n == 0) return IoResult::Failed;  // the other end has closed
        // ECONNRESET: the other end closed with our reports unread; what it sent before that
        // is still queued, and the next call reads it (then end of file).
        if (errno == EINTR || errno == ECONNRESET) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return IoResult::WouldBlock;
        return IoResult::Failed;
    }
}

IoResult WritePacket(int fd, const pedal::Report& report, std::chrono::milliseconds deadline,
                     int abortFd) {
    if (fd < 0) return IoResult::Failed;
    const auto until = Clock::now() + deadline;
    for (;;) {
        const ssize_t n = ::send(fd, report.data(), report.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n == static_cast<ssize_t>(report.size())) return IoResult::Ok;
        if (n >= 0) return IoResult::Failed;  // a packet is sent whole or not at all
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return IoResult::Failed;

        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
        if (left.count() <= 0) return IoResult::TimedOut;
        pollfd fds[2] = {{fd, POLLOUT, 0}, {abortFd, POLLIN, 0}};
        const int r = ::poll(fds, abortFd >= 0 ? 2 : 1, static_cast<int>(left.count()) + 1);
        if (r < 0 && errno != EINTR) return IoResult::Failed;
        if (abortFd >= 0 && (fds[1].revents & POLLIN)) return IoResult::Aborted;
        if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) return IoResult::Failed;
    }
}

}  // namespace device
