// Files of the addon tree, found as the simulator finds them on its case-insensitive
// file system: a name such as "Vessels\DeltaGlider" or "Truss/SolarTruss" is a path
// inside the tree whose parts match the folders and files without regard to case.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace hostsim {

// Whether a name stays inside the tree: no absolute path, no drive, no "." or ".."
// part, no empty part, nothing but printable characters.
bool isInsideName(std::string_view name);

// The file `root/folder/name+extension`, its parts matched ignoring case; nullopt when
// there is none or the name would leave the tree.
std::optional<std::filesystem::path> findAddonFile(const std::filesystem::path& root, std::string_view folder,
                                                   std::string_view name, std::string_view extension);

}  // namespace hostsim
