// Files the host writes: saves that cannot destroy what was there, and the inputs of a
// run, which nothing the run writes may overwrite.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace hostsim {

// Writes the bytes as the whole content of `file`. A regular file (or a new one) is
// written to a temporary file in the same folder, every write and the close are
// checked, and the temporary file then replaces the target, keeping its permissions;
// a failure leaves the target as it was. A device or a pipe is written directly.
// Refuses an input of the run. Returns an error text, empty on success.
std::string writeFileSafely(const std::filesystem::path& file, std::string_view bytes);

// The inputs of a run (scenario, script): nothing the host writes may be one of them.
void protectInput(const std::filesystem::path& file);
void clearProtectedInputs();
// The input that `file` is (the same file, by any path), or empty.
std::filesystem::path protectedInput(const std::filesystem::path& file);

}  // namespace hostsim
