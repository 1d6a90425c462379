// Outputs on Windows: a temporary file beside the target, written and flushed, then
// moved over it in one step (MoveFileEx replacing the target, through to disk). The
// C runtime's low-level calls write it, so that a crash filter may too.
#include "hostsim/Files.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "SystemMessage.h"

namespace hostsim {

std::string ReplacingFile::open(const std::filesystem::path& file, std::string_view what) {
    abandon();
    what_ = std::string(what);
    target_ = outputTarget(file);
    error_ = 0;
    std::error_code ec;
    if (std::filesystem::is_directory(target_, ec)) return target_.string() + " is a folder";

    const std::filesystem::path folder = target_.has_parent_path() ? target_.parent_path() : std::filesystem::path(".");
    // A name of our own beside the target; another process's file of that name is left alone.
    for (unsigned attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        std::string name = "." + target_.filename().string() + "." + std::to_string(GetCurrentProcessId()) + "." +
                           std::to_string(attempt);
        const std::filesystem::path temporary = folder / name;
        fd_ = ::_wopen(temporary.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
        if (fd_ >= 0) temporary_ = temporary;
        else if (errno != EEXIST) return failure(errno);
    }
    return fd_ < 0 ? failure(EEXIST) : std::string();
}

void ReplacingFile::write(std::string_view bytes) {
    while (fd_ >= 0 && error_ == 0 && !bytes.empty()) {
        const int n = ::_write(fd_, bytes.data(), unsigned((std::min<std::size_t>)(bytes.size(), 1u << 30)));
        if (n <= 0) error_ = n < 0 ? errno : EIO;
        else bytes.remove_prefix(std::size_t(n));
    }
}

std::string ReplacingFile::commit() {
    if (fd_ < 0) return {};
    int error = error_;
    if (!error && ::_commit(fd_) != 0) error = errno;
    if (::_close(fd_) != 0 && !error) error = errno;
    fd_ = -1;
    if (error) {
        abandon();
        return failure(error);
    }
    if (!MoveFileExW(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const std::string why = systemMessage(GetLastError());
        abandon();
        return "cannot write " + what_ + target_.string() + ": " + why;
    }
    temporary_.clear();
    return {};
}

void ReplacingFile::abandon() {
    if (fd_ >= 0) ::_close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) DeleteFileW(temporary_.c_str());
    temporary_.clear();
}

void ReplacingFile::commitAtCrash() {
    if (fd_ < 0) return;
    ::_close(fd_);
    fd_ = -1;
    MoveFileExW(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace hostsim
