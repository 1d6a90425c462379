// What loading and unloading each vessel module does to the window classes of its
// dialog custom controls, on the window system this host runs on (under Wine, the
// real one): once the module is loaded and InitModule has run, "OrbiterCtrl_Gauge" and
// "OrbiterCtrl_Switch" are registered for the module's instance; once ExitModule has
// run on unloading, neither is, since both modules remove them.
//
//   class_registration ADDON_ROOT
//
// On Windows this program is named hostsim.exe, so that the modules find the
// interface they import in it.
#include <cstdio>
#include <string>

#include "hostsim/Dialogs.h"
#include "hostsim/Host.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s ADDON_ROOT\n", argv[0]);
        return 2;
    }
    hostsim::Host& host = hostsim::Host::instance();
    host.reset();
    host.setRoot(argv[1]);

    int passed = 0, failed = 0;
    auto check = [&](bool ok, const std::string& what) {
        ++(ok ? passed : failed);
        std::printf("%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
    };
    for (const std::string module : {"Spanrig", "Haulbed"}) {
        std::string why;
        const hostsim::Module* loaded = host.loadModule(module, &why);
        check(loaded != nullptr, module + " loads" + (why.empty() ? "" : ": " + why));
        if (!loaded) continue;
        const auto instance = static_cast<HINSTANCE>(loaded->library);
        for (const char* cls : {"OrbiterCtrl_Gauge", "OrbiterCtrl_Switch"})
            check(hostsim::classRegistered(cls, instance), module + ": " + cls + " is registered after InitModule");
        host.unloadModule(module);
        for (const char* cls : {"OrbiterCtrl_Gauge", "OrbiterCtrl_Switch"})
            check(!hostsim::classRegistered(cls, instance), module + ": " + cls + " is gone after ExitModule");
    }
    host.reset();
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}
