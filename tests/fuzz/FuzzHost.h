// What the fuzz targets that load the modules share: a host rooted at the build's
// addon tree and reset for every input, and the report of a finding.
#pragma once

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "hostsim/Host.h"

namespace fuzzhost {

// libFuzzer keeps the coverage counters of every instrumented library it has seen, and
// reads them after every input; a module unmapped by a host reset would leave them
// dangling. So each module is mapped once more, for good: the host's dlclose then
// leaves it in place and its next dlopen finds it. The host still calls InitModule at
// every load; only the library's own load and unload hooks run once per process.
inline void keepModulesMapped() {
    for (const char* name : {"Spanrig", "Haulbed"}) {
        const std::filesystem::path file = std::filesystem::path(HOSTSIM_FUZZ_ROOT) / "Modules" / (std::string(name) + ".so");
        if (!dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE)) {
            std::fprintf(stderr, "fuzz: cannot load %s: %s\n", file.c_str(), dlerror());
            std::abort();
        }
    }
}

// The host, reset, rooted at the build's addon tree, loading unknown classes as
// plain vessels.
inline hostsim::Host& freshHost() {
    hostsim::Host& host = hostsim::Host::instance();
    host.reset();
    host.setRoot(HOSTSIM_FUZZ_ROOT);
    host.setUnknownClass(hostsim::UnknownClass::Plain);
    return host;
}

// A finding: says what and stops, so that libFuzzer keeps the input.
[[noreturn]] inline void fail(std::string_view what) {
    std::fprintf(stderr, "fuzz finding: %.*s\n", static_cast<int>(what.size()), what.data());
    std::abort();
}

}  // namespace fuzzhost
