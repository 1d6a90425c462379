// Reading scenario lines and typed text as the scanf conversions %d, %lf and %s read
// them, bounded by the text's own length. Both modules read their values this way.
#pragma once

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

// Whether `text` begins with `key`, compared without regard to case over the key's
// own length.
inline bool StartsWithKey(std::string_view text, std::string_view key) {
    if (text.size() < key.size()) return false;
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    for (std::size_t i = 0; i < key.size(); ++i)
        if (lower(text[i]) != lower(key[i])) return false;
    return true;
}

// What one %lf conversion found.
enum class Scan {
    Value,    // a number was read and stored
    Refused,  // a number was read past but not stored: it is not finite
    NoMatch,  // no number stands here; nothing was stored, and reading ends
};

// Reads values one after another from a text, each after the blanks before it.
class ScanText {
public:
    explicit ScanText(std::string_view text) : rest(text) {}

    // %d: an optional sign and decimal digits. Beyond the range of int the result of
    // %d is undefined (glibc wraps it modulo 2^32); here it saturates, so that a
    // number too large to hold stays too large.
    bool Int(int& out) {
        SkipBlanks();
        const bool plus = !rest.empty() && rest.front() == '+';
        const bool minus = !rest.empty() && rest.front() == '-';
        const std::size_t sign = plus || minus ? 1 : 0;
        std::size_t end = sign;
        while (end < rest.size() && IsDigit(rest[end])) ++end;
        if (end == sign) return false;
        int value = 0;
        const char* first = rest.data() + (plus ? 1 : 0);
        if (std::from_chars(first, rest.data() + end, value).ec == std::errc::result_out_of_range)
            value = minus ? (std::numeric_limits<int>::min)() : (std::numeric_limits<int>::max)();
        rest.remove_prefix(end);
        out = value;
        return true;
    }

    // %lf: the characters that glibc's scanf takes as a number, converted by strtod as
    // scanf converts them. Decimal and hexadecimal ("0x1p-2") numbers, "inf",
    // "infinity" and "nan" in any case; a value below the smallest denormal reads as
    // 0, one in the denormal range as that denormal, one beyond the largest double as
    // infinity. Values that are not finite are read past, so that the values after
    // them are still read, but never stored.
    Scan Real(double& out) {
        SkipBlanks();
        const std::size_t length = NumberLength(rest);
        if (length == 0) return Scan::NoMatch;
        // strtod reads a terminated text, so it gets a copy of exactly the number.
        const std::string number(rest.substr(0, length));
        char* end = nullptr;
        const double value = std::strtod(number.c_str(), &end);
        if (end == number.c_str()) return Scan::NoMatch;  // "." or "-." read nothing
        rest.remove_prefix(length);
        if (!std::isfinite(value)) return Scan::Refused;
        out = value;
        return Scan::Value;
    }

    // %s: a run of characters that are not blanks; empty when only blanks are left.
    std::string_view Word() {
        SkipBlanks();
        std::size_t n = 0;
        while (n < rest.size() && !IsBlank(rest[n])) ++n;
        const std::string_view word = rest.substr(0, n);
        rest.remove_prefix(n);
        return word;
    }

    // What is left to read.
    std::string_view Rest() const { return rest; }

private:
    static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
    static bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
    static char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

    void SkipBlanks() {
        while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
    }

    // How many characters at the start of `text` %lf takes, as glibc's scanf takes
    // them: as long as they may still begin a number, even where the last of them turn
    // out to be no part of it ("1e+" takes three and reads 1); 0 where no number can
    // begin. The decimal point is the locale's, as for scanf and strtod.
    static std::size_t NumberLength(std::string_view text) {
        const char point = *std::localeconv()->decimal_point;
        const auto at = [text](std::size_t i) { return i < text.size() ? text[i] : '\0'; };
        const std::size_t sign = at(0) == '+' || at(0) == '-' ? 1 : 0;
        std::size_t n = sign;

        // "nan", "inf" or "infinity"; a word begun and not finished is no number.
        if (Lower(at(n)) == 'n') return StartsWithKey(text.substr(n), "nan") ? n + 3 : 0;
        if (Lower(at(n)) == 'i') {
            if (!StartsWithKey(text.substr(n), "inf")) return 0;
            n += 3;
            if (Lower(at(n)) != 'i') return n;
            return StartsWithKey(text.substr(n), "inity") ? n + 5 : 0;
        }

        // Digits with one point, then an exponent: "e" and a decimal power of ten, or
        // after "0x", hexadecimal digits and "p" with a decimal power of two.
        bool hex = false, digits = false, dot = false, exponent = false;
        if (at(n) == '0') {
            ++n;
            if (Lower(at(n)) == 'x') {
                hex = true;
                ++n;
            } else {
                digits = true;
            }
        }
        const char exponentMark = hex ? 'p' : 'e';
        for (; n < text.size(); ++n) {
            const char c = text[n];
            if (IsDigit(c) || (hex && !exponent && IsHexDigit(c)))
                digits = true;
            else if (exponent && Lower(text[n - 1]) == exponentMark && (c == '+' || c == '-'))
                continue;
            else if (digits && !exponent && Lower(c) == exponentMark)
                exponent = dot = true;
            else if (!dot && c == point)
                dot = true;
            else
                break;
        }
        // A sign alone, or "0x" with nothing after it, begins no number.
        if (n == sign || (hex && n == sign + 2)) return 0;
        return n;
    }

    std::string_view rest;
};
