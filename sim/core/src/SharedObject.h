// A module file checked before the system loader maps it: the loader trusts the file's
// headers, and a file cut short kills the process with SIGBUS when it is touched.
#pragma once

#include <filesystem>
#include <string>

#include "windows.h"

namespace hostsim {

// Empty when the file is a complete shared object for this machine; otherwise why not.
std::string checkSharedObject(const std::filesystem::path& file);

// A module's export as the function type its caller knows it by; null if the module
// has none. GetProcAddress hands out every export as one generic function type, so
// the cast goes through void (*)(), which stands for any function.
template <typename Function>
Function moduleExport(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace hostsim
