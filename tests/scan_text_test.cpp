// The modules' reader of scenario values and typed text, against the C library's own
// sscanf: every text reads to the same value, and leaves the same rest, as "%lf"
// and "%d" read it.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "../host/ScanText.h"

namespace {

void ExpectReadAsPercentLf(const std::string& text) {
    double expected = 0;
    int taken = -1;
    const bool read = std::sscanf(text.c_str(), "%lf%n", &expected, &taken) == 1;
    ScanText scan(text);
    double value = 0;
    const Scan result = scan.Real(value);
    if (!read) {
        EXPECT_EQ(result, Scan::NoMatch) << "[" << text << "]";
        return;
    }
    EXPECT_EQ(text.size() - scan.Rest().size(), std::size_t(taken)) << "[" << text << "]";
    if (std::isfinite(expected)) {
        EXPECT_EQ(result, Scan::Value) << "[" << text << "]";
        EXPECT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << "[" << text << "] " << value << " " << expected;
    } else {
        EXPECT_EQ(result, Scan::Refused) << "[" << text << "]";
    }
}

TEST(ScanText, RealReadsEveryTextAsPercentLfDoes) {
    const char* const cases[] = {
        "2.5",   " \t-0.125 7", "+.5",     "1.",      ".",       "-",      "- 1",    "+-1",      "1e5",
        "1E+05", "1e",          "1e+",     "1e-+",    "1ee",     "1e5.5",  "1..2",   "0e5",      "00x1",
        "0x1p-2", "0X1.8P1",    "-0x.8",   "0x.",     "0x",      "0xg",    "0xp3",   "0x1p",     "0x1.2.3",
        "1e-400", "-1e-400",    "1e-320",  "1e400",   "-1e999",  "inf",    "INFx",   "infin",    "infinity",
        "-Infinity5", "nan",    "nan(12)", "NaN",     "na",      "i",      "1,5",    "x",        "",
        "   ",    "0x1.fffffffffffffp1023", "0x1p-1075", "123456789012345678901234567890",
    };
    for (const char* text : cases) ExpectReadAsPercentLf(text);

    // Texts of number characters in any order.
    std::mt19937 random(20240);
    const std::string alphabet = "0123456789.eEpPxXaAfF+-infatyINFATY() \t";
    for (int i = 0; i < 20000; ++i) {
        std::string text(random() % 12, ' ');
        for (char& c : text) c = alphabet[random() % alphabet.size()];
        ExpectReadAsPercentLf(text);
    }
}

TEST(ScanText, IntReadsAsPercentDDoesAndSaturatesBeyondInt) {
    struct Case {
        const char* text;
        bool read;
        int value;
        std::size_t taken;
    };
    const Case cases[] = {
        {"42", true, 42, 2},           {"  -7x", true, -7, 4},          {"+13 5", true, 13, 3},
        {"0x10", true, 0, 1},          {"2147483647", true, INT_MAX, 10}, {"-2147483648", true, INT_MIN, 11},
        {"+", false, 0, 0},            {"-", false, 0, 0},              {"+-1", false, 0, 0},
        {"x1", false, 0, 0},           {"", false, 0, 0},               {" ", false, 0, 0},
    };
    for (const Case& c : cases) {
        ScanText scan(c.text);
        int value = 0;
        EXPECT_EQ(scan.Int(value), c.read) << c.text;
        if (!c.read) continue;
        EXPECT_EQ(value, c.value) << c.text;
        EXPECT_EQ(std::strlen(c.text) - scan.Rest().size(), c.taken) << c.text;
        int expected = 0, taken = -1;
        ASSERT_EQ(std::sscanf(c.text, "%d%n", &expected, &taken), 1) << c.text;
        EXPECT_EQ(value, expected) << c.text;
    }

    // Beyond int, %d's result is undefined; the reader takes every digit and saturates.
    for (const auto& [text, value] : {std::pair{"2147483648", INT_MAX}, std::pair{"4294967298", INT_MAX},
                                      std::pair{"-99999999999999999999 1", INT_MIN}}) {
        ScanText scan(text);
        int read = 0;
        ASSERT_TRUE(scan.Int(read)) << text;
        EXPECT_EQ(read, value) << text;
        int next = 0;
        EXPECT_EQ(scan.Int(next), std::string_view(text).find(' ') != std::string_view::npos) << text;
    }
}

}  // namespace
