#include "SharedObject.h"

#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <cstring>
#include <fstream>
#include <vector>

namespace hostsim {

namespace {

#if __SIZEOF_POINTER__ == 8
constexpr unsigned char kClass = ELFCLASS64;
#else
constexpr unsigned char kClass = ELFCLASS32;
#endif
#if defined(__x86_64__)
constexpr ElfW(Half) kMachine = EM_X86_64;
#elif defined(__aarch64__)
constexpr ElfW(Half) kMachine = EM_AARCH64;
#elif defined(__i386__)
constexpr ElfW(Half) kMachine = EM_386;
#else
#error "the machine of this host is not known here"
#endif
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr unsigned char kByteOrder = ELFDATA2LSB;
#else
constexpr unsigned char kByteOrder = ELFDATA2MSB;
#endif

bool fits(std::uint64_t offset, std::uint64_t size, std::uint64_t fileSize) {
    return offset <= fileSize && size <= fileSize - offset;
}

}  // namespace

std::string checkSharedObject(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return "there is no file " + file.string();
    const std::uint64_t size = std::filesystem::file_size(file, ec);
    std::ifstream in(file, std::ios::binary);
    if (ec || !in) return "cannot read " + file.string();

    ElfW(Ehdr) eh{};
    if (!in.read(reinterpret_cast<char*>(&eh), sizeof eh) || std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0)
        return file.string() + " is not a shared library";
    if (eh.e_ident[EI_CLASS] != kClass || eh.e_ident[EI_DATA] != kByteOrder || eh.e_machine != kMachine)
        return file.string() + " is a library for another machine";
    if (eh.e_type != ET_DYN) return file.string() + " is not a shared library";
    if (eh.e_phentsize != sizeof(ElfW(Phdr)) || eh.e_phnum == 0 ||
        !fits(eh.e_phoff, std::uint64_t(eh.e_phnum) * sizeof(ElfW(Phdr)), size))
        return file.string() + " is damaged or cut short (program headers)";
    if (eh.e_shoff != 0 && (eh.e_shentsize != sizeof(ElfW(Shdr)) ||
                            !fits(eh.e_shoff, std::uint64_t(eh.e_shnum) * sizeof(ElfW(Shdr)), size)))
        return file.string() + " is damaged or cut short (section headers)";

    std::vector<ElfW(Phdr)> segments(eh.e_phnum);
    in.seekg(std::streamoff(eh.e_phoff));
    if (!in.read(reinterpret_cast<char*>(segments.data()), std::streamsize(segments.size() * sizeof(ElfW(Phdr)))))
        return file.string() + " is damaged or cut short (program headers)";
    // Every part the loader maps or reads must lie inside the file.
    for (const ElfW(Phdr)& p : segments)
        if (p.p_type != PT_NULL && !fits(p.p_offset, p.p_filesz, size))
            return file.string() + " is damaged or cut short (a segment ends past the end of the file)";
    return {};
}

}  // namespace hostsim

// ---- Exports looked up by name, and the module that holds an address ----

namespace {

// The file that a loaded library was opened from.
const char* libraryFile(void* library) {
    link_map* map = nullptr;
    if (!library || dlinfo(library, RTLD_DI_LINKMAP, &map) != 0 || !map) return nullptr;
    return map->l_name;
}

}  // namespace

// As on Windows, only a symbol that the module itself exports is found, not one of
// a library it depends on.
FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
    if (!module || !name) return nullptr;
    dlerror();
    void* sym = dlsym(module, name);
    if (!sym) return nullptr;
    Dl_info info{};
    const char* file = libraryFile(module);
    if (!dladdr(sym, &info) || !info.dli_fname || !file || std::strcmp(info.dli_fname, file) != 0) return nullptr;
    return reinterpret_cast<FARPROC>(sym);
}

BOOL GetModuleHandleEx(DWORD flags, LPCSTR addressOrName, HMODULE* module) {
    if (!module) return FALSE;
    *module = nullptr;
    if (!(flags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS)) return FALSE;
    Dl_info info{};
    if (!dladdr(addressOrName, &info) || !info.dli_fname) return FALSE;
    void* handle = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    if (!handle) return FALSE;
    if (flags & GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT) dlclose(handle);
    *module = static_cast<HMODULE>(handle);
    return TRUE;
}
