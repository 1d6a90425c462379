// The log on Windows: a crash writes out what is buffered from the unhandled-exception
// filter.
#include "LogFile.h"

#include <windows.h>

namespace hostsim {

namespace {

LPTOP_LEVEL_EXCEPTION_FILTER previousFilter = nullptr;

// Writes out the buffer, then lets whatever filtered before decide.
LONG WINAPI onFatalException(EXCEPTION_POINTERS* info) {
    LogFile::writeOutAtCrash();
    return previousFilter ? previousFilter(info) : EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

void LogFile::catchFatalFaults() { previousFilter = SetUnhandledExceptionFilter(&onFatalException); }

}  // namespace hostsim
