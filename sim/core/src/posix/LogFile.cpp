// The signals that end the process on POSIX: the log on disk gets what was logged.
#include "LogFile.h"

#include <unistd.h>

#include <csignal>
#include <iterator>

namespace hostsim {

namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGABRT, SIGFPE, SIGILL};
struct sigaction previous[std::size(kFatalSignals)];
// Asked to end: the run ends here, with the log, as a process ended by the signal
// would be told by its shell (128 + the signal's number).
constexpr int kEndingSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Writes out the log with the system's calls alone, then lets the signal take its
// course through whatever handled it before (the default, or a sanitizer's report).
void onFatalSignal(int signal) {
    LogFile::writeOutAtCrash();
    for (std::size_t i = 0; i < std::size(kFatalSignals); ++i)
        if (kFatalSignals[i] == signal) sigaction(signal, &previous[i], nullptr);
    std::raise(signal);
}

void onEndingSignal(int signal) {
    LogFile::writeOutAtCrash();
    ::_exit(128 + signal);
}

}  // namespace

void LogFile::catchFatalFaults() {
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    // While one handler writes out the log, no other may start.
    for (int signal : kFatalSignals) sigaddset(&action.sa_mask, signal);
    for (int signal : kEndingSignals) sigaddset(&action.sa_mask, signal);
    action.sa_handler = &onFatalSignal;
    for (std::size_t i = 0; i < std::size(kFatalSignals); ++i) sigaction(kFatalSignals[i], &action, &previous[i]);
    action.sa_handler = &onEndingSignal;
    for (int signal : kEndingSignals) sigaction(signal, &action, nullptr);
}

}  // namespace hostsim
