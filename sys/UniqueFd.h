// The one owner of a POSIX file descriptor: closes it exactly once.
#pragma once

#include <utility>

namespace sys {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) reset(std::exchange(other.fd_, -1));
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    explicit operator bool() const { return valid(); }

    // Closes the descriptor held (if any) and takes `fd`.
    void reset(int fd = -1);
    // Gives up ownership without closing.
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_ = -1;
};

// A connected pair of AF_UNIX SOCK_SEQPACKET sockets (one message per packet), both ends
// non-blocking and close-on-exec. Throws std::system_error when the kernel refuses.
std::pair<UniqueFd, UniqueFd> MakeSeqPacketPair();

}  // namespace sys
