#include "Progress.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ostream>

namespace hostsim {

double ProgressLine::steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

ProgressLine::ProgressLine(std::ostream& out, bool enabled, Clock now)
    : out_(out), enabled_(enabled), now_(std::move(now)) {
    if (enabled_) start_ = now_();
}

void ProgressLine::update(double simulated, double total, long long steps) {
    if (!enabled_ || steps % kStepsPerLook != 0) return;
    const double now = now_();
    const double elapsed = now - start_;
    if (elapsed < kDelay || (lastDrawn_ >= 0 && now - lastDrawn_ < kInterval)) return;
    lastDrawn_ = now;
    // The time left at the pace so far.
    const double left = simulated > 0 ? elapsed * (total - simulated) / simulated : INFINITY;
    char line[160];
    std::snprintf(line, sizeof line, "t = %.1f of %.1f s, %.0f steps/s, %s left", simulated, total, steps / elapsed,
                  std::isfinite(left) ? (std::to_string(long(std::ceil(left))) + " s").c_str() : "?");
    // "\r" goes back to the start of the line, ESC [K clears what an older, longer line left.
    out_ << '\r' << line << "\x1b[K" << std::flush;
    shown_ = true;
}

void ProgressLine::clear() {
    if (!shown_) return;
    out_ << "\r\x1b[K" << std::flush;
    shown_ = false;
    lastDrawn_ = -1;
}

}  // namespace hostsim
