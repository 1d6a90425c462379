// The host, built by GCC, meets modules built as the simulator's compiler builds them.
// The two layouts agree on the vessel classes' virtual tables (VESSEL2 and VESSEL3 have
// no destructor and no overloaded callback, so the slots follow the declarations in both)
// and on the calling convention of their members, which take `this` first and return no
// class: on 32-bit Windows both pass `this` in ECX and the rest on the stack, which the
// callee clears (__thiscall, GCC's default for members there too). They differ in three
// places, bridged here:
// - A class with a virtual destructor: Microsoft's table has one slot for it (the
//   deleting destructor), GCC's two, so MGROUP_TRANSFORM::Type() is slot 1, not 2.
// - Run-time type information: Microsoft's table is preceded by a pointer to a complete
//   object locator, which a module's dynamic_cast reads; GCC's by its own type_info.
// - A constructor returns `this` under Microsoft's convention; the interface's
//   constructors are exported through the bridges below (cmake/EngineExports.cmake).
// A plain function pointer or an extern "C" function is no member to GCC: where one
// stands for a member, on 32-bit Windows it must be declared __thiscall (MEMBER_CALL).
#include <cstdint>
#include <cstring>
#include <new>

#include "ModuleLayout.h"

#ifdef _WIN64
#define MEMBER_CALL
#else
#define MEMBER_CALL __attribute__((thiscall))
#endif

namespace hostsim {

MGROUP_TRANSFORM::TYPE transformType(const MGROUP_TRANSFORM& transform) {
    using TypeFunction = MGROUP_TRANSFORM::TYPE(MEMBER_CALL*)(const MGROUP_TRANSFORM*);
    const auto* table = *reinterpret_cast<void* const* const*>(&transform);
    return reinterpret_cast<TypeFunction>(table[1])(&transform);
}

namespace {

// Microsoft's type information, as its dynamic_cast reads it. In 64-bit code every
// reference but the type descriptor's table is an offset from the image that holds it,
// and the locator says so (signature 1) and names its own offset; in 32-bit code each is
// an address (signature 0), and nothing reads the locator's `self`.
struct TypeDescriptor {
    const void* table;
    void* spare;
    char name[24];
};
struct BaseClassDescriptor {
    uint32_t type;
    uint32_t containedBases;
    int32_t memberOffset, vbtableOffset, vbaseOffset;  // where the base lies in the object
    uint32_t attributes;
    uint32_t hierarchy;
};
struct ClassHierarchy {
    uint32_t signature, attributes, baseCount, bases;
};
struct ObjectLocator {
    uint32_t signature, offset, constructorOffset, type, hierarchy, self;
};

#ifdef _WIN64
constexpr uint32_t kLocatorSignature = 1;

extern "C" IMAGE_DOS_HEADER __ImageBase;

uint32_t reference(const void* p) {
    return uint32_t(static_cast<const char*>(p) - reinterpret_cast<const char*>(&__ImageBase));
}
#else
constexpr uint32_t kLocatorSignature = 0;

uint32_t reference(const void* p) { return uint32_t(reinterpret_cast<uintptr_t>(p)); }
#endif

// VESSEL2's eight callbacks and VESSEL3's clbkGeneric, in declaration order.
constexpr int kCallbackSlots = 9;
// The host's vessel, VESSEL3, VESSEL2 and VESSEL (behind the table pointer: VESSEL
// holds a pointer, so it starts one pointer in, in both layouts).
constexpr int kBases = 4;
constexpr int32_t kVesselOffset = sizeof(void*);

// One set for every vessel the host makes, in the image, where offsets from its start
// fit in 32 bits.
struct HostVesselType {
    TypeDescriptor types[kBases];
    BaseClassDescriptor bases[kBases];
    uint32_t baseArray[kBases];
    ClassHierarchy hierarchy;
    ObjectLocator locator;
    const void* table[1 + kCallbackSlots];  // the locator, then the callbacks
} hostVesselType;
bool hostVesselTypeMade = false;

void makeHostVesselType(const void* const* callbacks) {
    HostVesselType& t = hostVesselType;
    const char* names[kBases] = {".?AVHostVessel@hostsim@@", ".?AVVESSEL3@@", ".?AVVESSEL2@@", ".?AVVESSEL@@"};
    for (int i = 0; i < kBases; ++i) {
        std::strncpy(t.types[i].name, names[i], sizeof t.types[i].name - 1);
        t.bases[i] = {reference(&t.types[i]), uint32_t(kBases - 1 - i), i == kBases - 1 ? kVesselOffset : 0, -1, 0, 0, 0};
        t.baseArray[i] = reference(&t.bases[i]);
    }
    t.hierarchy = {0, 0, kBases, reference(t.baseArray)};
    t.locator = {kLocatorSignature, 0, 0, reference(&t.types[0]), reference(&t.hierarchy), reference(&t.locator)};
    t.table[0] = &t.locator;
    std::memcpy(&t.table[1], callbacks, sizeof(void*) * kCallbackSlots);
    hostVesselTypeMade = true;
}

}  // namespace

void shareHostVessel(VESSEL3& vessel) {
    auto** tablePointer = reinterpret_cast<const void* const**>(&vessel);
    if (!hostVesselTypeMade) makeHostVesselType(*tablePointer);
    *tablePointer = &hostVesselType.table[1];
}

}  // namespace hostsim

// The interface's constructors as Microsoft's convention has them: `this` comes back.
extern "C" MEMBER_CALL VESSEL* hostsimConstructVESSEL(VESSEL* self, OBJHANDLE hVessel, int fmodel) {
    return ::new (self) VESSEL(hVessel, fmodel);
}
extern "C" MEMBER_CALL VESSEL2* hostsimConstructVESSEL2(VESSEL2* self, OBJHANDLE hVessel, int fmodel) {
    return ::new (self) VESSEL2(hVessel, fmodel);
}
extern "C" MEMBER_CALL VESSEL3* hostsimConstructVESSEL3(VESSEL3* self, OBJHANDLE hVessel, int fmodel) {
    return ::new (self) VESSEL3(hVessel, fmodel);
}
