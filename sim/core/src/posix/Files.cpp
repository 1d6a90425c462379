// Outputs on POSIX systems: a temporary file beside the target, written, synced and
// renamed over it, with the target's permissions, owner and group.
#include "hostsim/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace hostsim {

std::string ReplacingFile::open(const std::filesystem::path& file, std::string_view what) {
    abandon();
    what_ = std::string(what);
    target_ = outputTarget(file);
    error_ = 0;
    struct stat st {};
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return target_.string() + " is a folder";
    if (exists && !S_ISREG(st.st_mode)) {  // a device or a pipe cannot be replaced
        fd_ = ::open(target_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        return fd_ < 0 ? failure(errno) : std::string();
    }

    const std::filesystem::path folder = target_.has_parent_path() ? target_.parent_path() : std::filesystem::path(".");
    const std::string pattern = (folder / ("." + target_.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = ::mkstemp(name.data());
    if (fd_ < 0) return failure(errno);
    temporary_ = name.data();
    // The new file is the old one's in all but content: a save by root over another
    // user's file must leave it theirs. Where that cannot be, nothing is written.
    mode_t mode = st.st_mode & 07777;
    if (!exists) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (exists && (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) && ::fchown(fd_, st.st_uid, st.st_gid) != 0) {
        const int e = errno;
        abandon();
        return "cannot write " + what_ + target_.string() + " keeping its owner and group: " + std::strerror(e);
    }
    if (::fchmod(fd_, mode) != 0) {
        const int e = errno;
        abandon();
        return failure(e);
    }
    return {};
}

void ReplacingFile::write(std::string_view bytes) {
    while (fd_ >= 0 && error_ == 0 && !bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) error_ = n < 0 ? errno : EIO;
        else bytes.remove_prefix(std::size_t(n));
    }
}

std::string ReplacingFile::commit() {
    if (fd_ < 0) return {};
    int error = error_;
    if (!error && !temporary_.empty() && ::fsync(fd_) != 0) error = errno;
    if (::close(fd_) != 0 && !error) error = errno;
    fd_ = -1;
    if (!error && !temporary_.empty() && ::rename(temporary_.c_str(), target_.c_str()) != 0) error = errno;
    if (error) {
        abandon();
        return failure(error);
    }
    temporary_.clear();
    return {};
}

void ReplacingFile::abandon() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

void ReplacingFile::commitAtCrash() {
    if (fd_ < 0) return;
    // What the log holds up to the signal is complete as far as it goes.
    if (!temporary_.empty()) ::rename(temporary_.c_str(), target_.c_str());
    ::close(fd_);
    fd_ = -1;
}

}  // namespace hostsim
