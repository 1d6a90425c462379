// Windows only: the system's text for an error code, without its closing full stop and
// line end; empty when the system has none.
#pragma once

#include <windows.h>

#include <string>

namespace hostsim {

inline std::string systemMessage(DWORD code) {
    char text[512] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                   sizeof text, nullptr);
    std::string why(text, n);
    while (!why.empty() && (why.back() == '\n' || why.back() == '\r' || why.back() == ' ' || why.back() == '.'))
        why.pop_back();
    return why;
}

}  // namespace hostsim
