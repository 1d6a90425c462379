#include "hostsim/Faults.h"

#include <string>

#include "hostsim/Host.h"

namespace hostsim::faults {

bool detail::armed = false;

namespace {
long long count = 0;
long long failing = 0;
}  // namespace

void arm(long long n) {
    detail::armed = true;
    count = 0;
    failing = n;
}

void disarm() { detail::armed = false; }

long long counted() { return count; }

bool detail::countOne(const char* operation) {
    if (++count != failing) return false;
    Host::instance().writeLog(std::string("Fault injected: ") + operation + " fails");
    return true;
}

}  // namespace hostsim::faults
