// The progress line of a long run: it comes after a while, redraws a few times a second,
// says where the run stands, and goes before other output.
#include <sstream>

#include <gtest/gtest.h>

#include "Progress.h"

namespace {

using hostsim::ProgressLine;

struct FakeClock {
    double now = 100;
    ProgressLine::Clock clock() {
        return [this] { return now; };
    }
};

TEST(ProgressLine, shows_a_long_run_after_a_while_a_few_times_a_second_and_clears_itself) {
    FakeClock clock;
    std::ostringstream err;
    ProgressLine line(err, true, clock.clock());
    const long long look = ProgressLine::kStepsPerLook;
    clock.now += 1.9;
    line.update(10, 100, look);
    EXPECT_EQ(err.str(), "") << "a short run shows nothing";
    clock.now += 0.1;  // 2 s in, a quarter of the run done
    line.update(25, 100, 4 * look);
    EXPECT_EQ(err.str(), "\rt = 25.0 of 100.0 s, 128 steps/s, 6 s left\x1b[K");
    clock.now += 0.1;
    line.update(26, 100, 5 * look);
    line.update(26, 100, 5 * look + 1);  // not a step to look at the clock
    EXPECT_EQ(err.str().find('\r', 1), std::string::npos) << "redrawn too soon";
    clock.now += 0.2;
    line.update(30, 100, 6 * look);
    EXPECT_NE(err.str().find("\rt = 30.0 of 100.0 s"), std::string::npos);
    err.str("");
    line.clear();
    EXPECT_EQ(err.str(), "\r\x1b[K");
    line.update(31, 100, 7 * look);  // after a message the line comes back at once
    EXPECT_NE(err.str().find("\rt = 31.0"), std::string::npos);
}

TEST(ProgressLine, shows_nothing_when_not_asked) {
    FakeClock clock;
    std::ostringstream err;
    {
        ProgressLine line(err, false, clock.clock());
        clock.now += 60;
        line.update(50, 100, ProgressLine::kStepsPerLook);
        line.clear();
    }
    EXPECT_EQ(err.str(), "");
}

}  // namespace
