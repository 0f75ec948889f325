#include "settings/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>

#include "sys/UniqueFd.h"

namespace settings {

namespace {

// The system's description of `err`, always in English (strerror follows the locale the
// window has set).
std::string Reason(int err) {
    const char* d = ::strerrordesc_np(err);
    return d ? d : "error " + std::to_string(err);
}

std::string Failure(const char* what, const std::string& path, int err) {
    return std::string(what) + " " + path + ": " + Reason(err);
}

// The file a path names: a symbolic link is followed to its target, so that the link stays.
std::string TargetOf(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : path;  // a dangling link is replaced itself
}

// A new file's name beside `target`: hidden, unlikely to be taken, within NAME_MAX.
std::string TemporaryName(const std::string& dir, const std::string& base, unsigned attempt) {
    char suffix[40];
    std::snprintf(suffix, sizeof suffix, ".%ld.%lx.%u.tmp", static_cast<long>(::getpid()),
                  static_cast<unsigned long>(std::time(nullptr)), attempt);
    return dir + "/." + base.substr(0, 160) + suffix;
}

// Removes the new file unless the rename has made it the target.
class TemporaryFile {
  public:
    explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    const std::string& path() const { return path_; }
    void Keep() { path_.clear(); }

  private:
    std::string path_;
};

std::optional<std::string> WriteAll(int fd, std::string_view bytes, const std::string& shown) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return Failure("cannot write", shown, n < 0 ? errno : EIO);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes,
                                         std::vector<char>& bytes) {
    struct stat st {};
    // Not even opened unless a regular file: opening a device can have effects of its own.
    if (::stat(path.c_str(), &st) != 0) return Failure("cannot open", path, errno);
    if (!S_ISREG(st.st_mode)) return path + " is not a regular file";
    sys::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd) return Failure("cannot open", path, errno);
    if (::fstat(fd.get(), &st) != 0) return Failure("cannot read", path, errno);
    if (!S_ISREG(st.st_mode)) return path + " is not a regular file";
    const auto tooLarge = [&] {
        return path + " is too large (a settings file has at most " + std::to_string(maxBytes) +
               " bytes)";
    };
    if (static_cast<unsigned long long>(st.st_size) > maxBytes) return tooLarge();

    bytes.assign(static_cast<std::size_t>(st.st_size) + 1, '\0');
    std::size_t got = 0;
    for (;;) {  // the file may have changed since fstat: read to its end, at most max + 1
        if (got == bytes.size()) {
            if (got > maxBytes) return tooLarge();
            bytes.resize(std::min(bytes.size() * 2, maxBytes + 1));
        }
        const ssize_t n = ::read(fd.get(), bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Failure("cannot read", path, errno);
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    if (got > maxBytes) return tooLarge();
    bytes.resize(got);
    return std::nullopt;
}

std::optional<std::string> ReplaceFile(const std::string& path, std::string_view bytes) {
    const std::string target = TargetOf(path);
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT) return Failure("cannot use", target, errno);
    if (exists && !S_ISREG(old.st_mode)) return target + " is not a regular file";

    const std::size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "."
                            : slash == 0               ? ""
                                                       : target.substr(0, slash);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    if (base.empty()) return target + " names no file";

    // A new file beside the old one, so the rename stays within one file system.
    sys::UniqueFd fd;
    std::string tmpName;
    for (unsigned attempt = 0; !fd && attempt < 100; ++attempt) {
        tmpName = TemporaryName(dir, base, attempt);
        fd.reset(::open(tmpName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!fd && errno != EEXIST)
            return Failure("cannot create a file in", dir.empty() ? "/" : dir, errno);
    }
    if (!fd) return Failure("cannot create a file in", dir.empty() ? "/" : dir, EEXIST);
    TemporaryFile tmp(tmpName);

    if (exists) {
        // As far as this process may, the file stays its owner's, with its permissions; a
        // refusal leaves the new file this process's own, which is no reason to fail.
        [[maybe_unused]] const int owned = ::fchown(fd.get(), old.st_uid, old.st_gid);
        [[maybe_unused]] const int mode = ::fchmod(fd.get(), old.st_mode & 07777);
    }
    if (auto error = WriteAll(fd.get(), bytes, target)) return error;
    if (::fsync(fd.get()) != 0) return Failure("cannot write", target, errno);
    if (::close(fd.release()) != 0) return Failure("cannot write", target, errno);
    if (::rename(tmp.path().c_str(), target.c_str()) != 0)
        return Failure("cannot replace", target, errno);
    tmp.Keep();

    // The rename itself reaches the disk with the folder's entry; the file is complete
    // either way, so a failure here is not one of the save.
    sys::UniqueFd folder(
        ::open(dir.empty() ? "/" : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder) ::fsync(folder.get());
    return std::nullopt;
}

}  // namespace settings
