#include "hostsim/Faults.h"

#include <string>

#include "hostsim/Host.h"

namespace hostsim::faults {

bool detail::armed = false;

namespace {
long long failing = 0;
std::vector<const char*> operations;  // names are string literals
}  // namespace

void arm(long long n) {
    detail::armed = true;
    failing = n;
    operations.clear();
}

void disarm() { detail::armed = false; }

const std::vector<const char*>& countedOperations() { return operations; }

bool detail::countOne(const char* operation) {
    operations.push_back(operation);
    if (static_cast<long long>(operations.size()) != failing) return false;
    Host::instance().writeLog(std::string("Fault injected: ") + operation + " fails");
    return true;
}

}  // namespace hostsim::faults
