// The log file on Windows: written with the C runtime's low-level calls; a crash
// writes out what is buffered from the unhandled-exception filter.
#include "LogFile.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>

namespace hostsim {

namespace {

LPTOP_LEVEL_EXCEPTION_FILTER previousFilter = nullptr;

// Writes out the buffer, then lets whatever filtered before decide.
LONG WINAPI onFatalException(EXCEPTION_POINTERS* info) {
    LogFile::writeOutAtCrash();
    return previousFilter ? previousFilter(info) : EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

int LogFile::openFile(const std::filesystem::path& file) {
    return ::_wopen(file.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

long LogFile::writeSome(int fd, const char* data, std::size_t size) {
    return ::_write(fd, data, unsigned((std::min<std::size_t>)(size, 1u << 30)));
}

int LogFile::closeFile(int fd) { return ::_close(fd); }

void LogFile::catchFatalFaults() { previousFilter = SetUnhandledExceptionFilter(&onFatalException); }

}  // namespace hostsim
