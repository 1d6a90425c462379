// The system's loader as the host uses it for modules: a module file checked before
// the loader maps it (on Linux the loader trusts the file's headers, and a file cut
// short kills the process with SIGBUS when it is touched), loaded and unloaded, its
// exports looked up by name. One implementation per platform (posix/, windows/).
#pragma once

#include <filesystem>
#include <string>

#include "windows.h"

namespace hostsim {

// The file name ending of a module on this platform: ".so" or ".dll".
extern const char* const kModuleSuffix;

// Empty when the file is a complete shared object for this machine; otherwise why not.
std::string checkSharedObject(const std::filesystem::path& file);

// Loads a module; its process entry runs inside. Null when the loader refuses it,
// with the loader's reason in `error`.
HMODULE loadLibrary(const std::filesystem::path& file, std::string& error);
// Unloads a module; its process entry runs inside.
void unloadLibrary(HMODULE module);
// The name of the file a loaded module was loaded from, without its folder; empty if
// the handle is not that of a loaded module.
std::string libraryFileName(HMODULE module);

// A module's export as the function type its caller knows it by; null if the module
// has none. GetProcAddress hands out every export as one generic function type, so
// the cast goes through void (*)(), which stands for any function.
template <typename Function>
Function moduleExport(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace hostsim
