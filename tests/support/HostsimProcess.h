// The hostsim program run as a process, under the limits and signals that a user's
// shell and system can put on it.
#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

struct ProcessSetting {
    long fileBytes = 0;    // > 0: no file it writes may grow past this (ulimit -f)
    long memoryBytes = 0;  // > 0: its address space may not grow past this (ulimit -v)
    bool stdoutClosed = false;  // standard output is a pipe nobody reads
    std::string stderrFile;  // where its standard error goes; empty: the test's own
};

struct Finished {
    int status = -1;   // the exit status, -1 when the process did not exit
    int signal = 0;    // the signal that ended it, if one did
    long peakKib = 0;  // its peak memory, as the system counts it
};

inline pid_t startProgram(std::vector<std::string> args, const ProcessSetting& setting = {}) {
    args.insert(args.begin(), HOSTSIM_PROGRAM);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int pipeEnds[2] = {-1, -1};
    if (setting.stdoutClosed && ::pipe(pipeEnds) != 0) return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        if (setting.stdoutClosed) {
            ::close(pipeEnds[0]);
            ::dup2(pipeEnds[1], STDOUT_FILENO);
        }
        if (!setting.stderrFile.empty()) {
            const int fd = ::open(setting.stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(fd, STDERR_FILENO);
        }
        if (setting.fileBytes > 0) {
            rlimit limit{rlim_t(setting.fileBytes), rlim_t(setting.fileBytes)};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (setting.memoryBytes > 0) {
            rlimit limit{rlim_t(setting.memoryBytes), rlim_t(setting.memoryBytes)};
            ::setrlimit(RLIMIT_AS, &limit);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    if (setting.stdoutClosed) ::close(pipeEnds[0]), ::close(pipeEnds[1]);
    return child;
}

inline Finished waitProgram(pid_t child) {
    int status = 0;
    rusage usage{};
    Finished f;
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child) return f;
    if (WIFSIGNALED(status)) f.signal = WTERMSIG(status);
    if (WIFEXITED(status)) f.status = WEXITSTATUS(status);
    f.peakKib = usage.ru_maxrss;
    return f;
}

inline Finished runProgram(std::vector<std::string> args, const ProcessSetting& setting = {}) {
    return waitProgram(startProgram(std::move(args), setting));
}
