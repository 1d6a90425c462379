// A module file checked before the system loader maps it: the loader trusts the file's
// headers, and a file cut short kills the process with SIGBUS when it is touched.
#pragma once

#include <filesystem>
#include <string>

namespace hostsim {

// Empty when the file is a complete shared object for this machine; otherwise why not.
std::string checkSharedObject(const std::filesystem::path& file);

}  // namespace hostsim
