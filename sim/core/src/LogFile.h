// The log file: lines are gathered in a buffer and written in large pieces to a new
// file beside the log, which replaces the log when it is closed at the end of a run,
// and when the process dies of a signal (on Windows, of an unhandled exception) or is
// told to end (SIGTERM, SIGINT, SIGHUP): a crash still leaves on disk the lines
// logged up to it, and an old log is only ever replaced by a whole new one.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "hostsim/Files.h"

namespace hostsim {

class LogFile {
public:
    // Starts a new log that will replace the file. Returns an error text, empty on success.
    std::string open(const std::filesystem::path& file);
    bool isOpen() const { return out_.isOpen(); }
    void append(std::string_view line);
    // Writes out what is buffered and puts the new log in the old one's place. Returns
    // an error text for the first write that failed, empty if none.
    std::string close();
    // Writes out what the open log holds and puts it in place with the system's calls
    // alone: for a handler of a fatal signal, where nothing else is safe.
    static void writeOutAtCrash();

private:
    static constexpr std::size_t kCapacity = 64 * 1024;
    void flush();
    // The handlers that call writeOutAtCrash, set once (posix/ and windows/LogFile.cpp).
    static void catchFatalFaults();

    ReplacingFile out_;
    char buffer_[kCapacity];
    std::size_t used_ = 0;
};

}  // namespace hostsim
