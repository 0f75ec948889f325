#include "sys/EventFd.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

namespace sys {

EventFd::EventFd() : fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (!fd_) throw std::system_error(errno, std::generic_category(), "eventfd");
}

void EventFd::Signal() {
    const std::uint64_t one = 1;
    // EAGAIN only when the counter is saturated, which is signalled anyway.
    [[maybe_unused]] auto n = ::write(fd_.get(), &one, sizeof one);
}

bool EventFd::Reset() {
    std::uint64_t value = 0;
    return ::read(fd_.get(), &value, sizeof value) == static_cast<ssize_t>(sizeof value);
}

bool EventFd::IsSignalled() const {
    pollfd p{fd_.get(), POLLIN, 0};
    return ::poll(&p, 1, 0) == 1 && (p.revents & POLLIN);
}

}  // namespace sys
