#include "AddonFiles.h"

#include <string>
#include <vector>

#include "Text.h"

namespace hostsim {

namespace {

std::vector<std::string_view> parts(std::string_view name) {
    std::vector<std::string_view> out;
    size_t start = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i == name.size() || name[i] == '/' || name[i] == '\\') {
            out.push_back(name.substr(start, i - start));
            start = i + 1;
        }
    }
    return out;
}

// The entry of a folder whose name equals `part` ignoring case; the exact name first.
std::optional<std::filesystem::path> entryOf(const std::filesystem::path& folder, std::string_view part) {
    std::error_code ec;
    std::filesystem::path exact = folder / std::string(part);
    if (std::filesystem::exists(exact, ec)) return exact;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (iequals(it->path().filename().string(), part)) return it->path();
    return std::nullopt;
}

}  // namespace

bool isInsideName(std::string_view name) {
    if (name.empty() || name.size() > 1024) return false;
    if (name.size() >= 2 && name[1] == ':') return false;  // a drive
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    for (std::string_view p : parts(name))
        if (p.empty() || p == "." || p == "..") return false;
    return true;
}

std::optional<std::filesystem::path> findAddonFile(const std::filesystem::path& root, std::string_view folder,
                                                   std::string_view name, std::string_view extension) {
    if (!isInsideName(name)) return std::nullopt;
    std::vector<std::string_view> path = parts(folder);
    std::vector<std::string_view> inside = parts(name);
    std::string last = std::string(inside.back()) + std::string(extension);
    inside.back() = last;
    path.insert(path.end(), inside.begin(), inside.end());

    std::filesystem::path at = root;
    for (std::string_view p : path) {
        auto next = entryOf(at, p);
        if (!next) return std::nullopt;
        at = *next;
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(at, ec)) return std::nullopt;
    return at;
}

}  // namespace hostsim
