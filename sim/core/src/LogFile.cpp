#include "LogFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace hostsim {

namespace {

// The open log, for the signal handler. One host, one log.
LogFile* openLog = nullptr;

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGABRT, SIGFPE, SIGILL};
struct sigaction previous[std::size(kFatalSignals)];
bool handlersInstalled = false;

}  // namespace

std::string LogFile::open(const std::filesystem::path& file) {
    close();
    fd_ = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) return "cannot write the log " + file.string() + ": " + std::strerror(errno);
    file_ = file;
    error_ = 0;
    openLog = this;
    if (!handlersInstalled) {
        handlersInstalled = true;
        for (std::size_t i = 0; i < std::size(kFatalSignals); ++i) {
            struct sigaction action {};
            action.sa_handler = &LogFile::onFatalSignal;
            sigemptyset(&action.sa_mask);
            sigaction(kFatalSignals[i], &action, &previous[i]);
        }
    }
    return {};
}

void LogFile::writeOut(std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
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
    if (::close(fd_) != 0 && error.empty()) error = "cannot write the log " + file_.string() + ": " + std::strerror(errno);
    fd_ = -1;
    if (openLog == this) openLog = nullptr;
    return error;
}

// Writes out the buffer with write(2) alone, then lets the signal take its course
// through whatever handled it before (the default, or a sanitizer's report).
void LogFile::onFatalSignal(int signal) {
    if (LogFile* log = openLog; log && log->fd_ >= 0 && log->used_ <= kCapacity) {
        [[maybe_unused]] ssize_t n = ::write(log->fd_, log->buffer_, log->used_);
        log->used_ = 0;
    }
    for (std::size_t i = 0; i < std::size(kFatalSignals); ++i)
        if (kFatalSignals[i] == signal) sigaction(signal, &previous[i], nullptr);
    std::raise(signal);
}

}  // namespace hostsim
