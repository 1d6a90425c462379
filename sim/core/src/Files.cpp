// What every platform does alike with the files of a run: inputs read within a
// limit, outputs found through their links, and the inputs no output may overwrite.
#include "hostsim/Files.h"

#include <cstring>
#include <fstream>
#include <vector>

namespace hostsim {

namespace {

std::vector<std::filesystem::path>& inputs() {
    static auto& list = *new std::vector<std::filesystem::path>;  // outlives static destruction, as the host does
    return list;
}

}  // namespace

std::string readInputFile(const std::filesystem::path& file, std::string& text) {
    std::error_code ec;
    const auto status = std::filesystem::status(file, ec);
    if (!std::filesystem::exists(status)) return "cannot read " + file.string();
    if (std::filesystem::is_directory(status)) return file.string() + " is a folder";
    if (!std::filesystem::is_regular_file(status))
        return file.string() + " is not a regular file (a device, a pipe or a socket may never end)";
    const std::string tooLarge =
        file.string() + " is larger than " + std::to_string(kMaxInputBytes >> 20) + " MiB, the most hostsim reads";
    if (std::filesystem::file_size(file, ec) > kMaxInputBytes) return tooLarge;
    std::ifstream in(file, std::ios::binary);
    if (!in) return "cannot read " + file.string();
    // Read up to the limit and one byte more, in case the file grew since it was looked at.
    std::string content;
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        content.append(chunk, std::size_t(in.gcount()));
        if (content.size() > kMaxInputBytes) return tooLarge;
    }
    if (in.bad()) return "cannot read " + file.string();
    text = std::move(content);
    return {};
}

std::filesystem::path outputTarget(const std::filesystem::path& file) {
    std::filesystem::path target = file;
    std::error_code ec;
    // As many links as the system itself follows.
    for (int hop = 0; hop < 40 && std::filesystem::is_symlink(target, ec); ++hop) {
        std::filesystem::path next = std::filesystem::read_symlink(target, ec);
        if (ec) break;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target;
}

bool sameOutput(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ec;
    const std::filesystem::path ta = outputTarget(a), tb = outputTarget(b);
    if (std::filesystem::equivalent(ta, tb, ec)) return true;
    // Files yet to be written are the same when their folders and names are.
    const std::filesystem::path ca = std::filesystem::weakly_canonical(ta, ec);
    if (ec) return false;
    const std::filesystem::path cb = std::filesystem::weakly_canonical(tb, ec);
    return !ec && ca == cb;
}

std::string ReplacingFile::failure(int error) const {
    return "cannot write " + what_ + target_.string() + ": " + std::strerror(error);
}

std::string writeFileSafely(const std::filesystem::path& file, std::string_view bytes) {
    if (auto input = protectedInput(file); !input.empty())
        return file.string() + " is an input of this run (" + input.string() + "); it is not written";
    ReplacingFile out;
    if (std::string why = out.open(file); !why.empty()) return why;
    out.write(bytes);
    return out.commit();
}

void protectInput(const std::filesystem::path& file) { inputs().push_back(file); }
void clearProtectedInputs() { inputs().clear(); }

std::filesystem::path protectedInput(const std::filesystem::path& file) {
    std::error_code ec;
    for (const auto& input : inputs())
        if (std::filesystem::equivalent(file, input, ec)) return input;
    return {};
}

}  // namespace hostsim
