// The log file on Windows: written with the C runtime's low-level calls; a crash
// writes out what is buffered from the unhandled-exception filter.
#include "LogFile.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstring>

namespace hostsim {

namespace {

// The open log, for the exception filter. One host, one log.
LogFile* openLog = nullptr;
LPTOP_LEVEL_EXCEPTION_FILTER previousFilter = nullptr;
bool filterInstalled = false;

// Writes out the buffer, then lets whatever filtered before decide.
LONG WINAPI onFatalException(EXCEPTION_POINTERS* info) {
    LogFile::writeOutAtCrash();
    return previousFilter ? previousFilter(info) : EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

std::string LogFile::open(const std::filesystem::path& file) {
    close();
    fd_ = ::_wopen(file.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (fd_ < 0) return "cannot write the log " + file.string() + ": " + std::strerror(errno);
    file_ = file;
    error_ = 0;
    openLog = this;
    if (!filterInstalled) {
        filterInstalled = true;
        previousFilter = SetUnhandledExceptionFilter(&onFatalException);
    }
    return {};
}

void LogFile::writeOut(std::string_view bytes) {
    while (!bytes.empty()) {
        const unsigned chunk = unsigned(std::min<std::size_t>(bytes.size(), 1u << 30));
        int n = ::_write(fd_, bytes.data(), chunk);
        if (n <= 0) {
            if (!error_) error_ = n < 0 ? errno : EIO;
            return;
        }
        bytes.remove_prefix(std::size_t(n));
    }
}

void LogFile::append(std::string_view line) {
    if (fd_ < 0) return;
    if (used_ + line.size() + 1 > kCapacity) flush();
    if (line.size() + 1 > kCapacity) {  // a line longer than the buffer goes out at once
        writeOut(line);
        writeOut("\n");
        return;
    }
    std::memcpy(buffer_ + used_, line.data(), line.size());
    used_ += line.size();
    buffer_[used_++] = '\n';
}

std::string LogFile::flush() {
    if (fd_ < 0) return {};
    writeOut(std::string_view(buffer_, used_));
    used_ = 0;
    return error_ ? "cannot write the log " + file_.string() + ": " + std::strerror(error_) : std::string();
}

std::string LogFile::close() {
    if (fd_ < 0) return {};
    std::string error = flush();
    if (::_close(fd_) != 0 && error.empty()) error = "cannot write the log " + file_.string() + ": " + std::strerror(errno);
    fd_ = -1;
    if (openLog == this) openLog = nullptr;
    return error;
}

void LogFile::writeOutAtCrash() {
    if (LogFile* log = openLog; log && log->fd_ >= 0 && log->used_ <= kCapacity) {
        ::_write(log->fd_, log->buffer_, unsigned(log->used_));
        log->used_ = 0;
    }
}

}  // namespace hostsim
