// The log file: lines are gathered in a buffer and written in large pieces, at the end
// of a run, when the buffer is full, and when the process dies of a signal (on Windows,
// of an unhandled exception), so that a crash still leaves the log on disk.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace hostsim {

class LogFile {
public:
    // Opens (and empties) the file. Returns an error text, empty on success.
    std::string open(const std::filesystem::path& file);
    bool isOpen() const { return fd_ >= 0; }
    void append(std::string_view line);
    // Writes out what is buffered; returns an error text for the first failed write
    // since the file was opened, empty if none.
    std::string flush();
    // Flushes and closes; the error text as for flush.
    std::string close();
    // Writes out what the open log holds with the system's write call alone: for a
    // handler of a fatal fault, where nothing else is safe.
    static void writeOutAtCrash();

private:
    static constexpr std::size_t kCapacity = 64 * 1024;
    void writeOut(std::string_view bytes);
    // What each platform does its own way (posix/ and windows/LogFile.cpp): the
    // system's calls, as open, write and close make them, and, once, a handler that
    // writes out the buffer when the process dies of a fault.
    static int openFile(const std::filesystem::path& file);
    static long writeSome(int fd, const char* data, std::size_t size);
    static int closeFile(int fd);
    static void catchFatalFaults();

    std::filesystem::path file_;
    int fd_ = -1;
    char buffer_[kCapacity];
    std::size_t used_ = 0;
    int error_ = 0;  // errno of the first failed write
};

}  // namespace hostsim
