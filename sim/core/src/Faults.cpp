#include "hostsim/Faults.h"

#include <string>

#include "hostsim/Host.h"

namespace hostsim::faults {

namespace {
bool armed = false;
long long count = 0;
long long failing = 0;
}  // namespace

void arm(long long n) {
    armed = true;
    count = 0;
    failing = n;
}

void disarm() { armed = false; }

long long counted() { return count; }

bool injectHere(const char* operation) {
    if (!armed || ++count != failing) return false;
    Host::instance().writeLog(std::string("Fault injected: ") + operation + " fails");
    return true;
}

}  // namespace hostsim::faults
