// Dialog resources carried inside a module: the build compiles each resource script
// and puts the compiled image into a section of the module's file (see
// cmake/ModuleResources.cmake). The host finds the file from the module's instance
// handle, reads that section and finds the dialog template in it, as the window
// system finds a dialog resource from an instance handle and a resource number.
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
std::optional<std::vector<unsigned char>> readElfSection(const std::string& path, std::string_view name, std::string& error) {
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
        if (s.sh_type == SHT_NOBITS) return std::vector<unsigned char>();
        if (!fits(s.sh_offset, s.sh_size)) {
            error = path + ": section " + std::string(name) + " lies outside the file";
            return std::nullopt;
        }
        std::vector<unsigned char> data(s.sh_size);
        if (!readAt(in, s.sh_offset, data.data(), data.size())) {
            error = path + ": section " + std::string(name) + " cannot be read";
            return std::nullopt;
        }
        return data;
    }
    return std::nullopt;
}

// A dialog resource's name as asked for: a number (MAKEINTRESOURCE or "#N") or a text.
ResourceId askedName(LPCSTR name) {
    ResourceId id;
    if (IS_INTRESOURCE(name)) {
        id.number = int(reinterpret_cast<UINT_PTR>(name));
        return id;
    }
    std::string_view text(name);
    int number = 0;
    if (text.size() > 1 && text[0] == '#') {
        auto [end, ec] = std::from_chars(text.data() + 1, text.data() + text.size(), number);
        if (ec == std::errc() && end == text.data() + text.size() && number >= 0 && number <= 0xFFFF) {
            id.number = number;
            return id;
        }
    }
    id.text = std::string(text);
    return id;
}

bool sameName(const ResourceId& a, const ResourceId& b) {
    return a.number >= 0 ? a.number == b.number : b.number < 0 && iequals(a.text, b.text);
}

// The compiled resources in a module file's section; empty when it has none.
std::string resourceImageOf(const std::string& file, std::vector<unsigned char>& image) {
    std::string error;
    auto section = readElfSection(file, kResourceSection, error);
    if (section) image = std::move(*section);
    return error;
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

std::string moduleResourceImage(HINSTANCE instance, std::vector<unsigned char>& image) {
    image.clear();
    std::string file = libraryFile(instance);
    if (file.empty()) return "no loaded module has the instance handle " + formatPointer(instance);
    return resourceImageOf(file, image);
}

std::optional<DialogTemplate> findDialogTemplate(HINSTANCE instance, LPCSTR name, std::string& error) {
    error.clear();
    if (!name) {
        error = "no dialog resource named";
        return std::nullopt;
    }
    ResourceId asked = askedName(name);
    std::string what = asked.number >= 0 ? std::to_string(asked.number) : asked.text;
    std::string file = libraryFile(instance);
    if (file.empty()) {
        error = "no loaded module has the instance handle " + formatPointer(instance);
        return std::nullopt;
    }
    std::vector<unsigned char> image;
    std::vector<ResourceEntry> entries;
    error = resourceImageOf(file, image);
    if (error.empty() && !image.empty()) error = parseResourceImage(image, entries);
    if (!error.empty()) {
        error = file + ": resources: " + error;
        return std::nullopt;
    }
    for (const ResourceEntry& e : entries) {
        if (e.type.number != kDialogResourceType || !sameName(asked, e.name)) continue;
        std::string source = file + ": dialog " + what;
        DialogTemplate d;
        error = parseDialogTemplate(e.data, d);
        if (!error.empty()) {
            error = source + ": " + error;
            return std::nullopt;
        }
        d.id = e.name.number;
        d.name = e.name.text;
        d.source = source;
        return d;
    }
    error = "dialog resource " + what + " not found in " + file;
    return std::nullopt;
}

}  // namespace hostsim
