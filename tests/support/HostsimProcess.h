// The hostsim program run as a process, under the limits and signals that a user's
// shell and system can put on it.
#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct ProcessSetting {
    long fileBytes = 0;          // > 0: no file it writes may grow past this (ulimit -f)
    long memoryBytes = 0;        // > 0: nor its address space (ulimit -v)
    bool stdoutClosed = false;   // its standard output is a pipe nobody reads
    const char* stderrFile = nullptr;  // where its standard error goes, if not to the test's
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
    int ends[2] = {-1, -1};
    if (setting.stdoutClosed && ::pipe(ends) != 0) return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        if (setting.stdoutClosed) ::close(ends[0]), ::dup2(ends[1], STDOUT_FILENO);
        if (setting.stderrFile) ::dup2(::open(setting.stderrFile, O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
        const rlimit files{rlim_t(setting.fileBytes), rlim_t(setting.fileBytes)};
        const rlimit memory{rlim_t(setting.memoryBytes), rlim_t(setting.memoryBytes)};
        if (setting.fileBytes > 0) ::setrlimit(RLIMIT_FSIZE, &files);
        if (setting.memoryBytes > 0) ::setrlimit(RLIMIT_AS, &memory);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    if (setting.stdoutClosed) ::close(ends[0]), ::close(ends[1]);
    return child;
}

inline Finished waitProgram(pid_t child) {
    int status = 0;
    rusage usage{};
    Finished f;
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child) return f;
    f.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    f.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    f.peakKib = usage.ru_maxrss;
    return f;
}

inline Finished runProgram(std::vector<std::string> args, const ProcessSetting& setting = {}) {
    return waitProgram(startProgram(std::move(args), setting));
}

inline std::string fileText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}
