// The process entry point: binds the module to the simulator when the process
// attaches it and runs the module's unload entry when it detaches. On Windows the
// loader calls it; on Linux the module's load hooks do (LinuxLoadHooks.cpp).
#include "ProcessEntry.h"

#include "ModuleBinding.h"

namespace {

using UnloadEntry = void (*)(HINSTANCE);

UnloadEntry unloadEntry = nullptr;

// An export of this module taken as an unload entry; through void (*)() because the
// loader hands every export out as one generic function type.
UnloadEntry FindUnloadEntry(HINSTANCE module, const char* name) {
    return reinterpret_cast<UnloadEntry>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE hModule, DWORD reason, LPVOID /*reserved*/) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        InitLib(hModule);
        // The module's own unload entry, found in the module itself.
        unloadEntry = FindUnloadEntry(hModule, "ExitModule");
        if (!unloadEntry) unloadEntry = FindUnloadEntry(hModule, "opcDLLExit");
        break;
    case DLL_PROCESS_DETACH:
        if (unloadEntry) unloadEntry(hModule);
        break;
    default:  // thread attach and detach
        break;
    }
    return TRUE;
}
