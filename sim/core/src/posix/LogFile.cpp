// The log file's system calls on POSIX; a fatal signal writes out what is buffered.
#include "LogFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace hostsim {

namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGABRT, SIGFPE, SIGILL};
struct sigaction previous[std::size(kFatalSignals)];

// Writes out the buffer with write(2) alone, then lets the signal take its course
// through whatever handled it before (the default, or a sanitizer's report).
void onFatalSignal(int signal) {
    LogFile::writeOutAtCrash();
    for (std::size_t i = 0; i < std::size(kFatalSignals); ++i)
        if (kFatalSignals[i] == signal) sigaction(signal, &previous[i], nullptr);
    std::raise(signal);
}

}  // namespace

int LogFile::openFile(const std::filesystem::path& file) {
    return ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

long LogFile::writeSome(int fd, const char* data, std::size_t size) {
    for (;;) {
        const ssize_t n = ::write(fd, data, size);
        if (n >= 0 || errno != EINTR) return long(n);
    }
}

int LogFile::closeFile(int fd) { return ::close(fd); }

void LogFile::catchFatalFaults() {
    for (std::size_t i = 0; i < std::size(kFatalSignals); ++i) {
        struct sigaction action {};
        action.sa_handler = &onFatalSignal;
        sigemptyset(&action.sa_mask);
        sigaction(kFatalSignals[i], &action, &previous[i]);
    }
}

}  // namespace hostsim
