#include "sys/UniqueFd.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace sys {

void UniqueFd::reset(int fd) {
    if (fd_ >= 0) ::close(fd_);  // the descriptor is gone whatever close() reports
    fd_ = fd;
}

std::pair<UniqueFd, UniqueFd> MakeSeqPacketPair() {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds) != 0)
        throw std::system_error(errno, std::generic_category(), "socketpair");
    return {UniqueFd(fds[0]), UniqueFd(fds[1])};
}

}  // namespace sys
