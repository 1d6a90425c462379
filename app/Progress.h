// A one-line progress indicator for runs that take a while, on a terminal.
#pragma once

#include <functional>
#include <iosfwd>

namespace hostsim {

class ProgressLine {
public:
    // Seconds of wall-clock time from any fixed moment.
    using Clock = std::function<double()>;
    static double steadySeconds();

    // Shows nothing unless `enabled` (standard error is a terminal and the run is not quiet).
    ProgressLine(std::ostream& out, bool enabled, Clock now = steadySeconds);
    ~ProgressLine() { clear(); }

    // Called once a step, with the simulated time run so far out of `total`; the first
    // line comes once the run has taken kDelay, and it is redrawn every kInterval.
    void update(double simulated, double total, long long steps);
    // Takes the line away, before other output and at the end; the next update draws it again.
    void clear();

    static constexpr double kDelay = 2.0;      // seconds of wall-clock time
    static constexpr double kInterval = 0.25;  // seconds between redraws
    static constexpr long long kStepsPerLook = 64;  // steps between looks at the clock

private:
    std::ostream& out_;
    bool enabled_;
    Clock now_;
    double start_ = 0;
    double lastDrawn_ = -1;
    bool shown_ = false;
};

}  // namespace hostsim
