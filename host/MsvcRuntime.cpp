// What Microsoft's static C++ runtime gives a DLL and no system DLL exports, for modules
// built by clang for the msvc target: the entry point that runs the module's static
// constructors and destructors around DllMain, operator new and delete, the type_info
// table that the compiler's type descriptors name, and the few pieces of libc++ that
// its headers leave to its own library. The C runtime itself is the system's ucrtbase.

// atexit is the module's own (its destructors must run when it is unloaded, not when the
// process ends): declared without dllimport, as the C runtime's headers do for the
// runtime itself, so that defining it here does not export it.
#define _ACRTIMP
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "ProcessEntry.h"

// ---- Static constructors and destructors ----

namespace {

using Action = void(__cdecl*)();

// The compiler puts a pointer to each translation unit's constructor in .CRT$XCU; the
// linker sorts the .CRT$XC* parts by name, so these two bracket them.
#pragma section(".CRT$XCA", read)
#pragma section(".CRT$XCZ", read)
__declspec(allocate(".CRT$XCA")) const Action firstConstructor = nullptr;
__declspec(allocate(".CRT$XCZ")) const Action lastConstructor = nullptr;

// Destructors of static objects, registered by atexit as they are constructed; run in
// reverse when the module is unloaded.
Action* exitActions = nullptr;
size_t exitActionCount = 0;

void RunConstructors() {
    // Read through volatile: the compiler must not assume the section holds only these two.
    for (const Action* a = &firstConstructor + 1; a < &lastConstructor; ++a) {
        Action action = *static_cast<const volatile Action*>(a);
        if (action) action();
    }
}

void RunDestructors() {
    while (exitActionCount > 0) exitActions[--exitActionCount]();
    std::free(exitActions);
    exitActions = nullptr;
}

}  // namespace

extern "C" int __cdecl atexit(Action action) {
    auto* grown = static_cast<Action*>(std::realloc(exitActions, (exitActionCount + 1) * sizeof(Action)));
    if (!grown) return -1;
    exitActions = grown;
    exitActions[exitActionCount++] = action;
    return 0;
}

extern "C" BOOL WINAPI _DllMainCRTStartup(HINSTANCE hModule, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) RunConstructors();
    BOOL ok = DllMain(hModule, reason, reserved);
    if (reason == DLL_PROCESS_DETACH) RunDestructors();
    return ok;
}

// The compiler asks for this symbol in every object that uses floating point.
extern "C" int _fltused = 0;

// ---- Allocation ----

void* operator new(size_t size) {
    if (void* p = std::malloc(size ? size : 1)) return p;
    std::abort();  // modules are built without exceptions: nothing could catch bad_alloc
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

// Over-aligned objects (a module's blocks of vessels aligned to cache lines).
void* operator new(size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
    return _aligned_malloc(size ? size : 1, size_t(align));
}
void* operator new[](size_t size, std::align_val_t align, const std::nothrow_t& tag) noexcept {
    return operator new(size, align, tag);
}
void* operator new(size_t size, std::align_val_t align) {
    if (void* p = operator new(size, align, std::nothrow)) return p;
    std::abort();
}
void* operator new[](size_t size, std::align_val_t align) { return operator new(size, align); }
void operator delete(void* p, std::align_val_t) noexcept { _aligned_free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { _aligned_free(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { _aligned_free(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { _aligned_free(p); }

namespace std {
const nothrow_t nothrow{};
}

// ---- Type information ----

// The type descriptors of the module's classes point at ::type_info's table, which only
// typeid's destructor would use; dynamic_cast compares the descriptors' names.
namespace {
void __cdecl NoTypeInfoDestructor() {}
}  // namespace
extern "C" const Action moduleTypeInfoTable[1] = {NoTypeInfoDestructor};
// A C name carries a leading underscore in 32-bit objects; a C++ decoration does not.
#ifdef _M_IX86
#pragma comment(linker, "/alternatename:??_7type_info@@6B@=_moduleTypeInfoTable")
#else
#pragma comment(linker, "/alternatename:??_7type_info@@6B@=moduleTypeInfoTable")
#endif

// ---- libc++ ----

// std::to_chars for integers writes its digits through these two, which libc++ keeps
// in its own library.
_LIBCPP_BEGIN_NAMESPACE_STD
namespace __itoa {

// Digit by digit, subtracting powers of ten: dividing a 64-bit number takes a helper of
// the compiler's (_aulldiv) in 32-bit code, which Microsoft's runtime holds and no
// system DLL the modules may use.
char* __u64toa(uint64_t value, char* buffer) noexcept {
    constexpr auto powers = [] {
        std::array<uint64_t, 20> p{};
        uint64_t power = 1;
        for (auto& x : p) {
            x = power;
            power *= 10;  // wraps after the last, unused
        }
        return p;
    }();
    size_t n = powers.size() - 1;
    while (n > 0 && value < powers[n]) --n;
    for (size_t i = n + 1; i-- > 0;) {
        char digit = '0';
        while (value >= powers[i]) {
            value -= powers[i];
            ++digit;
        }
        *buffer++ = digit;
    }
    return buffer;
}

char* __u32toa(uint32_t value, char* buffer) noexcept { return __u64toa(value, buffer); }

}  // namespace __itoa
_LIBCPP_END_NAMESPACE_STD
