// A Linux shared library has no process entry point: its own load and unload hooks,
// which the loader runs inside dlopen and dlclose, call DllMain as the Windows
// loader would, with the library's handle as the module's instance handle.
#include "ProcessEntry.h"

namespace {

HINSTANCE processInstance = nullptr;

// The instance handle of this module is the handle of the library that holds
// this function.
HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleEx(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                      reinterpret_cast<LPCSTR>(&ThisModule), &module);
    return module;
}

__attribute__((constructor)) void OnLoad() {
    processInstance = ThisModule();
    DllMain(processInstance, DLL_PROCESS_ATTACH, nullptr);
}

__attribute__((destructor)) void OnUnload() { DllMain(processInstance, DLL_PROCESS_DETACH, nullptr); }

}  // namespace
