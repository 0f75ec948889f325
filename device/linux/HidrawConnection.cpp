#include "device/linux/HidrawConnection.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace device {

using Clock = std::chrono::steady_clock;

HidrawConnection::HidrawConnection(sys::UniqueFd fd, bool numbered)
    : fd_(std::move(fd)), numbered_(numbered) {}

IoResult HidrawConnection::ReadReport(pedal::Report& report) {
    if (!fd_) return IoResult::Failed;
    pedal::Report buffer{};
    // Unnumbered: the payload goes after the report ID byte, which stays 0.
    std::uint8_t* const into = numbered_ ? buffer.data() : buffer.data() + 1;
    const std::size_t room = numbered_ ? buffer.size() : buffer.size() - 1;
    for (;;) {
        const ssize_t n = ::read(fd_.get(), into, room);
        if (n > 0) {
            report = buffer;  // a shorter report is zero-filled; only a real read is delivered
            return IoResult::Ok;
        }
        if (n == 0) return IoResult::Failed;
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return IoResult::WouldBlock;
        return IoResult::Failed;  // EIO or ENODEV: the device has gone
    }
}

IoResult HidrawConnection::WriteReport(const pedal::Report& report,
                                       std::chrono::milliseconds deadline, int abortFd) {
    if (!fd_) return IoResult::Failed;
    const auto until = Clock::now() + deadline;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
        pollfd fds[2] = {{fd_.get(), POLLOUT, 0}, {abortFd, POLLIN, 0}};
        const int r = ::poll(fds, abortFd >= 0 ? 2 : 1,
                             static_cast<int>(std::max<std::int64_t>(left.count(), 0)));
        if (r < 0 && errno != EINTR) return IoResult::Failed;
        if (abortFd >= 0 && (fds[1].revents & POLLIN)) return IoResult::Aborted;
        if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) return IoResult::Failed;
        if (fds[0].revents & POLLOUT) {
            const ssize_t n = ::write(fd_.get(), report.data(), report.size());
            // One write is one report handed to the driver whole; the count it returns is
            // the driver's and is not a partial write to resume.
            if (n >= 0) return IoResult::Ok;
            if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) return IoResult::Failed;
        }
        if (Clock::now() >= until) return IoResult::TimedOut;
    }
}

}  // namespace device
