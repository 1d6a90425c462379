// The process entry point of a Windows library, emulated by the shared library's
// own load and unload hooks: the loader runs them around dlopen and dlclose.
#include "ModuleBinding.h"

namespace {

using UnloadEntry = void (*)(HINSTANCE);

HINSTANCE processInstance = nullptr;
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

namespace {

// The instance handle of this module is the handle of the library that holds
// this function.
HINSTANCE thisModule() {
    HMODULE module = nullptr;
    GetModuleHandleEx(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                      reinterpret_cast<LPCSTR>(&thisModule), &module);
    return module;
}

__attribute__((constructor)) void onLoad() {
    processInstance = thisModule();
    DllMain(processInstance, DLL_PROCESS_ATTACH, nullptr);
}

__attribute__((destructor)) void onUnload() { DllMain(processInstance, DLL_PROCESS_DETACH, nullptr); }

}  // namespace
