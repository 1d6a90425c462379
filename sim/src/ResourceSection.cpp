// Dialog resources carried inside a module: the build puts each resource script,
// with the headers it includes, into a section of the module's file (see
// cmake/ModuleResources.cmake). The host finds the file from the module's instance
// handle, reads that section and parses the scripts, as the window system finds a
// dialog resource from an instance handle and a resource number.
#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <charconv>
#include <cstring>
#include <fstream>

#include "Text.h"
#include "hostsim/Dialogs.h"

namespace hostsim {

namespace {

// The first line of every script record in the section.
constexpr std::string_view kRecordMagic = "HOSTSIM RESOURCES 1";

using Ehdr = ElfW(Ehdr);
using Shdr = ElfW(Shdr);

#if __SIZEOF_POINTER__ == 8
constexpr unsigned char kElfClass = ELFCLASS64;
#else
constexpr unsigned char kElfClass = ELFCLASS32;
#endif

bool readAt(std::ifstream& in, std::uint64_t offset, void* to, std::size_t size) {
    in.clear();
    in.seekg(std::streamoff(offset));
    in.read(static_cast<char*>(to), std::streamsize(size));
    return bool(in);
}

// The contents of the named section of an ELF file. nullopt and an error text when
// the file cannot be read; an absent section gives nullopt and no error.
std::optional<std::string> readElfSection(const std::string& path, std::string_view name, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return std::nullopt;
    }
    in.seekg(0, std::ios::end);
    auto fileSize = std::uint64_t(in.tellg());
    auto fits = [&](std::uint64_t offset, std::uint64_t size) { return offset <= fileSize && size <= fileSize - offset; };

    Ehdr eh{};
    if (!readAt(in, 0, &eh, sizeof eh) || std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 ||
        eh.e_ident[EI_CLASS] != kElfClass || eh.e_shentsize != sizeof(Shdr)) {
        error = path + " is not a library of this machine";
        return std::nullopt;
    }
    std::uint64_t count = eh.e_shnum;
    std::uint64_t namesIndex = eh.e_shstrndx;
    Shdr first{};
    if (eh.e_shoff == 0 || !fits(eh.e_shoff, sizeof(Shdr)) || !readAt(in, eh.e_shoff, &first, sizeof first)) {
        error = path + " has no section table";
        return std::nullopt;
    }
    // Section counts and the names index that do not fit their fields live in section 0.
    if (count == 0) count = first.sh_size;
    if (namesIndex == SHN_XINDEX) namesIndex = first.sh_link;
    if (!fits(eh.e_shoff, count * sizeof(Shdr)) || namesIndex >= count) {
        error = path + " has a damaged section table";
        return std::nullopt;
    }
    std::vector<Shdr> sections(count);
    if (!readAt(in, eh.e_shoff, sections.data(), count * sizeof(Shdr))) {
        error = path + " has a damaged section table";
        return std::nullopt;
    }
    const Shdr& namesSection = sections[namesIndex];
    if (!fits(namesSection.sh_offset, namesSection.sh_size)) {
        error = path + " has damaged section names";
        return std::nullopt;
    }
    std::string names(namesSection.sh_size, '\0');
    if (!readAt(in, namesSection.sh_offset, names.data(), names.size())) {
        error = path + " has damaged section names";
        return std::nullopt;
    }
    for (const Shdr& s : sections) {
        if (s.sh_name >= names.size()) continue;
        std::string_view sectionName(names.c_str() + s.sh_name);
        if (sectionName != name) continue;
        if (s.sh_type == SHT_NOBITS) return std::string();
        if (!fits(s.sh_offset, s.sh_size)) {
            error = path + ": section " + std::string(name) + " lies outside the file";
            return std::nullopt;
        }
        std::string data(s.sh_size, '\0');
        if (!readAt(in, s.sh_offset, data.data(), data.size())) {
            error = path + ": section " + std::string(name) + " cannot be read";
            return std::nullopt;
        }
        return data;
    }
    return std::nullopt;
}

bool takeLine(std::string_view data, std::size_t& pos, std::string_view& line) {
    auto nl = data.find('\n', pos);
    if (nl == std::string_view::npos) return false;
    line = data.substr(pos, nl - pos);
    pos = nl + 1;
    return true;
}

// Splits the section into script records: "HOSTSIM RESOURCES 1", then per file
// "file SIZE NAME", its bytes and a line break, then "end". The linker may pad
// between records with zero bytes.
std::string parseSection(std::string_view data, std::vector<std::vector<ResourceFile>>& scripts) {
    std::size_t pos = 0;
    while (true) {
        while (pos < data.size() && data[pos] == '\0') ++pos;
        if (pos >= data.size()) return {};
        std::string_view line;
        if (!takeLine(data, pos, line) || line != kRecordMagic) return "the resource section is damaged";
        std::vector<ResourceFile> files;
        while (true) {
            if (!takeLine(data, pos, line)) return "a resource record has no end";
            if (line == "end") break;
            if (line.substr(0, 5) != "file ") return "a resource record is damaged";
            std::string_view rest = line.substr(5);
            std::size_t size = 0;
            auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), size);
            if (ec != std::errc() || end == rest.data() + rest.size() || *end != ' ') return "a resource record is damaged";
            std::string_view name = rest.substr(std::size_t(end - rest.data()) + 1);
            if (size > data.size() - pos || data.size() - pos - size < 1 || data[pos + size] != '\n')
                return "a resource record is cut short";
            files.push_back({std::string(name), std::string(data.substr(pos, size))});
            pos += size + 1;
        }
        if (files.empty()) return "a resource record holds no script";
        scripts.push_back(std::move(files));
    }
}

}  // namespace

std::string libraryFile(HINSTANCE instance) {
    if (!instance) return {};
    // Every loaded library is asked for its handle by its name, so that a handle
    // that is stale or not a library handle at all is never read through.
    std::vector<std::string> files;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data) {
            if (info->dlpi_name && info->dlpi_name[0]) static_cast<std::vector<std::string>*>(data)->push_back(info->dlpi_name);
            return 0;
        },
        &files);
    for (const std::string& file : files) {
        void* handle = dlopen(file.c_str(), RTLD_LAZY | RTLD_NOLOAD);
        if (!handle) continue;
        bool same = handle == static_cast<void*>(instance);
        dlclose(handle);
        if (same) return file;
    }
    return {};
}

std::string moduleResourceScripts(HINSTANCE instance, std::vector<std::vector<ResourceFile>>& scripts) {
    std::string file = libraryFile(instance);
    if (file.empty()) return "no loaded module has the instance handle " + formatPointer(instance);
    std::string error;
    auto section = readElfSection(file, kResourceSection, error);
    if (!section) return error;
    std::string err = parseSection(*section, scripts);
    return err.empty() ? err : file + ": " + err;
}

std::optional<DialogTemplate> findDialogTemplate(HINSTANCE instance, LPCSTR name, std::string& error) {
    error.clear();
    if (!name) {
        error = "no dialog resource named";
        return std::nullopt;
    }
    std::string what = IS_INTRESOURCE(name) ? std::to_string(reinterpret_cast<UINT_PTR>(name)) : std::string(name);
    std::vector<std::vector<ResourceFile>> scripts;
    error = moduleResourceScripts(instance, scripts);
    if (!error.empty()) return std::nullopt;
    for (const auto& files : scripts) {
        ResourceScript script;
        error = parseResourceScript(files, script);
        if (!error.empty()) return std::nullopt;
        if (const DialogTemplate* d = script.findDialog(name)) return *d;
    }
    error = "dialog resource " + what + " not found in " + libraryFile(instance);
    return std::nullopt;
}

}  // namespace hostsim
