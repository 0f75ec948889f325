#include "fwupdate/FileRead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <system_error>

#include "sys/UniqueFd.h"

namespace fwupdate {
namespace {

ReadResult Failed(int error) {
    ReadResult r;
    r.Error = error;
    return r;
}

}  // namespace

ReadResult ReadWholeFile(const std::string& path) {
    sys::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) return Failed(errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return Failed(errno);
    if (S_ISDIR(st.st_mode)) return Failed(EISDIR);
    if (st.st_size < 0 || static_cast<std::uint64_t>(st.st_size) > MaxFileSize)
        return Failed(EFBIG);

    ReadResult r;
    try {
        r.Bytes.resize(static_cast<std::size_t>(st.st_size));
        std::size_t used = 0;
        for (;;) {
            // Leave room to notice a file that has grown past its size (or has none, as a
            // pipe): read on until the end, but never beyond the largest accepted size.
            if (used == r.Bytes.size()) {
                if (used > MaxFileSize) return Failed(EFBIG);
                r.Bytes.resize(std::min<std::uint64_t>(MaxFileSize + 1, used + 64 * 1024));
            }
            const ssize_t n = ::read(fd.get(), r.Bytes.data() + used, r.Bytes.size() - used);
            if (n < 0) {
                if (errno == EINTR) continue;
                return Failed(errno);
            }
            if (n == 0) break;
            used += static_cast<std::size_t>(n);
        }
        if (used > MaxFileSize) return Failed(EFBIG);
        r.Bytes.resize(used);
    } catch (const std::bad_alloc&) {
        return Failed(ENOMEM);
    }
    return r;
}

std::string ErrorText(int error) {
    return std::generic_category().message(error);
}

}  // namespace fwupdate
