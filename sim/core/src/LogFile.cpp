#include "LogFile.h"

#include <cstring>

namespace hostsim {

namespace {

// The open log, for the crash handler. One host, one log.
LogFile* openLog = nullptr;

}  // namespace

std::string LogFile::open(const std::filesystem::path& file) {
    close();
    if (std::string why = out_.open(file, "the log "); !why.empty()) return why;
    used_ = 0;
    openLog = this;
    static const bool caught = (catchFatalFaults(), true);
    (void)caught;
    return {};
}

void LogFile::append(std::string_view line) {
    if (!out_.isOpen()) return;
    if (used_ + line.size() + 1 > kCapacity) flush();
    if (line.size() + 1 > kCapacity) {  // a line longer than the buffer goes out at once
        out_.write(line);
        out_.write("\n");
        return;
    }
    std::memcpy(buffer_ + used_, line.data(), line.size());
    used_ += line.size();
    buffer_[used_++] = '\n';
}

void LogFile::flush() {
    out_.write(std::string_view(buffer_, used_));
    used_ = 0;
}

std::string LogFile::close() {
    if (!out_.isOpen()) return {};
    flush();
    if (openLog == this) openLog = nullptr;
    return out_.commit();
}

void LogFile::writeOutAtCrash() {
    if (LogFile* log = openLog; log && log->out_.isOpen() && log->used_ <= kCapacity) {
        log->out_.write(std::string_view(log->buffer_, log->used_));
        log->used_ = 0;
        log->out_.commitAtCrash();
    }
}

}  // namespace hostsim
