// Reading keys and values out of scenario lines and typed commands, bounded by the
// text's own length.
#pragma once

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>

namespace carrier {

inline bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// Whether `text` begins with `key`, compared without regard to case over the key's
// own length.
inline bool StartsWithKey(std::string_view text, std::string_view key) {
    if (text.size() < key.size()) return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(text[i])) != std::toupper(static_cast<unsigned char>(key[i])))
            return false;
    }
    return true;
}

// Reads blank-separated values one after another, as the scanf conversions %d, %lf
// and %s would: leading blanks are skipped, and a value that cannot be read is
// reported as missing and consumes nothing.
class TextReader {
public:
    explicit TextReader(std::string_view text) : rest(text) {}

    // A decimal integer with an optional sign. Values beyond the range of long long
    // saturate, so that callers clamp them like any other large value.
    std::optional<long long> ReadInteger() {
        SkipBlanks();
        std::string_view digits = WithoutPlus(rest);
        long long value = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (ec == std::errc::invalid_argument) return std::nullopt;
        if (ec == std::errc::result_out_of_range)
            value = digits.front() == '-' ? (std::numeric_limits<long long>::min)() : (std::numeric_limits<long long>::max)();
        rest.remove_prefix(static_cast<std::size_t>(end - rest.data()));
        return value;
    }

    // A finite decimal number; out-of-range and non-finite text counts as unreadable.
    std::optional<double> ReadNumber() {
        SkipBlanks();
        std::string_view digits = WithoutPlus(rest);
        double value = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (ec != std::errc() || !std::isfinite(value)) return std::nullopt;
        rest.remove_prefix(static_cast<std::size_t>(end - rest.data()));
        return value;
    }

    // A run of non-blank characters; empty when only blanks are left.
    std::string_view ReadWord() {
        SkipBlanks();
        std::size_t n = 0;
        while (n < rest.size() && !IsBlank(rest[n])) ++n;
        const std::string_view word = rest.substr(0, n);
        rest.remove_prefix(n);
        return word;
    }

private:
    void SkipBlanks() {
        while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
    }

    // from_chars takes no '+'; a plus directly before a digit is part of the number.
    static std::string_view WithoutPlus(std::string_view text) {
        if (text.size() >= 2 && text[0] == '+' && (std::isdigit(static_cast<unsigned char>(text[1])) || text[1] == '.'))
            text.remove_prefix(1);
        return text;
    }

    std::string_view rest;
};

}  // namespace carrier
