// The system's loader on Windows: LoadLibrary maps a module, runs its DllMain and
// refuses a damaged or foreign file itself, with a reason of its own.
#include "SharedObject.h"

#include <string>

#include "SystemMessage.h"

namespace hostsim {

namespace {

std::string loaderMessage(DWORD code) {
    const std::string why = systemMessage(code);
    return why.empty() ? "the system loader refused it (error " + std::to_string(code) + ")" : why;
}

}  // namespace

const char* const kModuleSuffix = ".dll";

std::string checkSharedObject(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return "there is no file " + file.string();
    return {};
}

HMODULE loadLibrary(const std::filesystem::path& file, std::string& error) {
    // No message box for a file the loader cannot use: the reason comes back instead.
    UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryExW(std::filesystem::absolute(file).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    DWORD code = GetLastError();
    SetErrorMode(previous);
    if (!module) error = file.string() + ": " + loaderMessage(code);
    return module;
}

void unloadLibrary(HMODULE module) {
    if (module) FreeLibrary(module);
}

std::string libraryFileName(HMODULE module) {
    if (!module) return {};
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    return std::filesystem::path(std::wstring(path, n)).filename().string();
}

}  // namespace hostsim
