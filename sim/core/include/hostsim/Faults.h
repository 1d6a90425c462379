// For tests: the host makes the Nth interface operation that can fail fail, as the
// simulator reports such a failure (a null handle, an invalid index, false, no vessel
// by that name, a box that does not open), so that tests see what the modules do then.
#pragma once

#include <vector>

namespace hostsim::faults {

// From now on, count the operations that can fail; the nth of them fails (n > 0), or
// none does (n = 0).
void arm(long long n);
void disarm();
// The names of the operations counted since arm, in order.
const std::vector<const char*>& countedOperations();
namespace detail {
extern bool armed;
bool countOne(const char* operation);
}  // namespace detail

// Whether the operation about to run fails; every operation that can fail asks once.
// Unarmed, as always outside tests, it costs one test of a flag.
inline bool injectHere(const char* operation) { return detail::armed && detail::countOne(operation); }

}  // namespace hostsim::faults
