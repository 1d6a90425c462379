#include "LogFile.h"

#include <cerrno>
#include <cstring>

namespace hostsim {

namespace {

// The open log, for the crash handler. One host, one log.
LogFile* openLog = nullptr;

}  // namespace

std::string LogFile::open(const std::filesystem::path& file) {
    close();
    fd_ = openFile(file);
    if (fd_ < 0) return "cannot write the log " + file.string() + ": " + std::strerror(errno);
    file_ = file;
    error_ = 0;
    openLog = this;
    static const bool caught = (catchFatalFaults(), true);
    (void)caught;
    return {};
}

void LogFile::writeOut(std::string_view bytes) {
    while (!bytes.empty()) {
        const long n = writeSome(fd_, bytes.data(), bytes.size());
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
    if (closeFile(fd_) != 0 && error.empty()) error = "cannot write the log " + file_.string() + ": " + std::strerror(errno);
    fd_ = -1;
    if (openLog == this) openLog = nullptr;
    return error;
}

void LogFile::writeOutAtCrash() {
    if (LogFile* log = openLog; log && log->fd_ >= 0 && log->used_ <= kCapacity) {
        [[maybe_unused]] long n = writeSome(log->fd_, log->buffer_, log->used_);
        log->used_ = 0;
    }
}

}  // namespace hostsim
