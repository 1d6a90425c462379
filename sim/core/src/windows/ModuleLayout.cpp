// The host, built by GCC, meets modules built as the simulator's compiler builds them.
// The two layouts agree on the vessel classes' virtual tables (VESSEL2 and VESSEL3 have
// no destructor and no overloaded callback, so the slots follow the declarations in both)
// and on the calling convention of their members, which take `this` first and return no
// class. They differ in three places, bridged here:
// - A class with a virtual destructor: Microsoft's table has one slot for it (the
//   deleting destructor), GCC's two, so MGROUP_TRANSFORM::Type() is slot 1, not 2.
// - Run-time type information: Microsoft's table is preceded by a pointer to a complete
//   object locator, which a module's dynamic_cast reads; GCC's by its own type_info.
// - A constructor returns `this` under Microsoft's convention; the interface's
//   constructors are exported through the bridges below (cmake/EngineExports.cmake).
#include <cstdint>
#include <cstring>
#include <new>

#include "ModuleLayout.h"

namespace hostsim {

MGROUP_TRANSFORM::TYPE transformType(const MGROUP_TRANSFORM& transform) {
    using TypeFunction = MGROUP_TRANSFORM::TYPE (*)(const MGROUP_TRANSFORM*);
    const auto* table = *reinterpret_cast<void* const* const*>(&transform);
    return reinterpret_cast<TypeFunction>(table[1])(&transform);
}

namespace {

// Microsoft's type information for 64-bit code, as its dynamic_cast reads it: every
// reference but the type descriptor's table is an offset from the image that holds it.
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

// VESSEL2's eight callbacks and VESSEL3's clbkGeneric, in declaration order.
constexpr int kCallbackSlots = 9;
// The host's vessel, VESSEL3, VESSEL2 and VESSEL (behind the table pointer, at 8).
constexpr int kBases = 4;

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

extern "C" IMAGE_DOS_HEADER __ImageBase;

uint32_t offsetInImage(const void* p) {
    return uint32_t(static_cast<const char*>(p) - reinterpret_cast<const char*>(&__ImageBase));
}

void makeHostVesselType(const void* const* callbacks) {
    HostVesselType& t = hostVesselType;
    const char* names[kBases] = {".?AVHostVessel@hostsim@@", ".?AVVESSEL3@@", ".?AVVESSEL2@@", ".?AVVESSEL@@"};
    for (int i = 0; i < kBases; ++i) {
        std::strncpy(t.types[i].name, names[i], sizeof t.types[i].name - 1);
        t.bases[i] = {offsetInImage(&t.types[i]), uint32_t(kBases - 1 - i), i == kBases - 1 ? 8 : 0, -1, 0, 0, 0};
        t.baseArray[i] = offsetInImage(&t.bases[i]);
    }
    t.hierarchy = {0, 0, kBases, offsetInImage(t.baseArray)};
    t.locator = {1, 0, 0, offsetInImage(&t.types[0]), offsetInImage(&t.hierarchy), offsetInImage(&t.locator)};
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
extern "C" VESSEL* hostsimConstructVESSEL(VESSEL* self, OBJHANDLE hVessel, int fmodel) {
    return ::new (self) VESSEL(hVessel, fmodel);
}
extern "C" VESSEL2* hostsimConstructVESSEL2(VESSEL2* self, OBJHANDLE hVessel, int fmodel) {
    return ::new (self) VESSEL2(hVessel, fmodel);
}
extern "C" VESSEL3* hostsimConstructVESSEL3(VESSEL3* self, OBJHANDLE hVessel, int fmodel) {
    return ::new (self) VESSEL3(hVessel, fmodel);
}
