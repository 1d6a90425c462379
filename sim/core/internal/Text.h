// Small text helpers shared by the host's sources.
#pragma once

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "OrbiterAPI.h"

namespace hostsim {

// The shortest text that reads back to the same double, without an exponent for
// the magnitudes of positions and rates (as the simulator writes them), with one for
// very large and very small values.
inline std::string formatNumber(double v) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    if (ec != std::errc()) return "0";
    std::string_view text(buf, size_t(end - buf));
    auto e = text.find('e');
    if (e != std::string_view::npos) {
        int exponent = 0;
        std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), exponent);
        if (exponent >= -4 && exponent <= 15) {
            auto [fixedEnd, fixedEc] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
            if (fixedEc == std::errc()) return std::string(buf, fixedEnd);
        }
    }
    return std::string(text);
}

inline std::string formatVector(const VECTOR3& v) {
    return formatNumber(v.x) + " " + formatNumber(v.y) + " " + formatNumber(v.z);
}

inline std::string formatPointer(const void* p) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%p", p);
    return buf;
}

inline std::string_view trim(std::string_view s) {
    const char* blanks = " \t\r\n";
    auto b = s.find_first_not_of(blanks);
    if (b == std::string_view::npos) return {};
    auto e = s.find_last_not_of(blanks);
    return s.substr(b, e - b + 1);
}

inline char lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

inline bool iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

inline bool istartsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && iequals(s.substr(0, prefix.size()), prefix);
}

inline std::string lowered(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = lower(c);
    return out;
}

// Reads up to n doubles from the text as scanf's %lf would (a sign, decimal or
// hexadecimal digits, an exponent; a value too small to represent reads as zero);
// returns how many were read. A value that is not a finite number ends the reading.
inline int readNumbers(std::string_view text, double* out, int n) {
    std::string buffer(text);  // strtod needs a terminated text
    const char* at = buffer.c_str();
    int got = 0;
    while (got < n) {
        char* end = nullptr;
        double v = std::strtod(at, &end);
        if (end == at || !std::isfinite(v)) break;
        out[got++] = v;
        at = end;
    }
    return got;
}
}  // namespace hostsim
