// The Truss class: construction, destruction, class capabilities, and the factory
// pair that the module entry layer calls.
#include "Truss.h"

#include <functional>
#include <new>
#include <vector>

#include "ModuleHooks.h"

Truss::Truss(OBJHANDLE hVessel, int flightModel) : VESSEL3(hVessel, flightModel) {}

Truss::~Truss() { TearDown(); }

void Truss::clbkSetClassCaps(FILEHANDLE /*cfg*/) {
    // "CAR": the point by which the segment hangs from a carrier.
    carPoint = CreateAttachment(true, _V(0, 0, 0), _V(0, -0.866025, 0.5), _V(1, 0, 0), "CAR", false);
}

namespace {

// Blocks of segment-sized, line-aligned places; a freed place is reused first.
class SegmentBlocks {
public:
    ~SegmentBlocks() {
        for (Place* block : blocks_) ::operator delete[](block, std::align_val_t(alignof(Place)));
    }
    void* take() noexcept {
        if (free_.empty() && !grow()) return nullptr;
        void* place = free_.back();
        free_.pop_back();
        return place;
    }
    void give(void* place) noexcept { free_.push_back(place); }  // room reserved by grow
    bool holds(const void* place) const noexcept {
        const std::less<const void*> before;
        for (const Place* block : blocks_)
            if (!before(place, block) && before(place, block + kPerBlock)) return true;
        return false;
    }

private:
    struct alignas(Truss) Place {
        unsigned char bytes[sizeof(Truss)];
    };
    static constexpr std::size_t kPerBlock = 64;

    bool grow() noexcept {
        try {
            free_.reserve((blocks_.size() + 1) * kPerBlock);
            blocks_.reserve(blocks_.size() + 1);
            auto* block = static_cast<Place*>(::operator new[](kPerBlock * sizeof(Place), std::align_val_t(alignof(Place))));
            blocks_.push_back(block);
            // Handed out in address order.
            for (std::size_t i = kPerBlock; i-- > 0;) free_.push_back(&block[i]);
            return true;
        } catch (const std::bad_alloc&) {
            return false;
        }
    }

    std::vector<Place*> blocks_;
    std::vector<void*> free_;
};

SegmentBlocks& segmentBlocks() {
    static SegmentBlocks blocks;
    return blocks;
}

}  // namespace

void* Truss::operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (size == sizeof(Truss)) return segmentBlocks().take();
    return ::operator new(size, std::align_val_t(alignof(Truss)), std::nothrow);
}

void Truss::operator delete(void* segment, std::size_t size) noexcept {
    if (!segment) return;
    if (size == sizeof(Truss))
        segmentBlocks().give(segment);
    else
        ::operator delete(segment, std::align_val_t(alignof(Truss)));
}

void Truss::operator delete(void* segment, const std::nothrow_t&) noexcept {
    if (segmentBlocks().holds(segment))
        segmentBlocks().give(segment);
    else
        ::operator delete(segment, std::align_val_t(alignof(Truss)));
}

VESSEL* CreateModuleVessel(OBJHANDLE hVessel, int flightModel) {
    return new (std::nothrow) Truss(hVessel, flightModel);
}

void DestroyModuleVessel(VESSEL* vessel) { delete static_cast<Truss*>(vessel); }
