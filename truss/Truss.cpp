// The Truss class: construction, destruction, class capabilities, and the factory
// pair that the module entry layer calls.
#include "Truss.h"

#include <functional>
#include <new>

#include "ModuleHooks.h"

Truss::Truss(OBJHANDLE hVessel, int flightModel) : VESSEL3(hVessel, flightModel) {}

Truss::~Truss() { TearDown(); }

void Truss::clbkSetClassCaps(FILEHANDLE /*cfg*/) {
    // "CAR": the point by which the segment hangs from a carrier.
    carPoint = CreateAttachment(true, _V(0, 0, 0), _V(0, -0.866025, 0.5), _V(1, 0, 0), "CAR", false);
}

namespace {

// Blocks of segment-sized, line-aligned places, chained; a freed place holds the next
// free one and is reused first. Nothing here has a destructor: a process may end with
// segments alive, and they stay reachable through this until then. The blocks go back
// when the last segment does, so that unloading the module leaves nothing behind.
class SegmentBlocks {
public:
    void* take() noexcept {
        if (!firstFree_ && !grow()) return nullptr;
        FreePlace* place = firstFree_;
        firstFree_ = place->next;
        ++live_;
        return place;
    }
    void give(void* place) noexcept {
        firstFree_ = ::new (place) FreePlace{firstFree_};
        if (--live_ == 0) releaseAll();
    }
    bool holds(const void* place) const noexcept {
        const std::less<const void*> before;
        for (const Block* block = firstBlock_; block; block = block->next)
            if (!before(place, block->places) && before(place, block->places + kPerBlock)) return true;
        return false;
    }

private:
    struct FreePlace {
        FreePlace* next;
    };
    struct Place {
        alignas(Truss) unsigned char bytes[sizeof(Truss)];
    };
    static constexpr std::size_t kPerBlock = 64;
    struct Block {
        Block* next;
        Place places[kPerBlock];
    };

    bool grow() noexcept {
        void* memory = ::operator new(sizeof(Block), std::align_val_t(alignof(Block)), std::nothrow);
        if (!memory) return false;
        Block* block = ::new (memory) Block;  // places stay as they are until used
        block->next = firstBlock_;
        firstBlock_ = block;
        // Handed out in address order.
        for (std::size_t i = kPerBlock; i-- > 0;) firstFree_ = ::new (block->places[i].bytes) FreePlace{firstFree_};
        return true;
    }
    void releaseAll() noexcept {
        while (Block* block = firstBlock_) {
            firstBlock_ = block->next;
            ::operator delete(block, std::align_val_t(alignof(Block)));
        }
        firstFree_ = nullptr;
    }

    Block* firstBlock_ = nullptr;
    FreePlace* firstFree_ = nullptr;
    std::size_t live_ = 0;
};

constinit SegmentBlocks segmentBlocks;

}  // namespace

void* Truss::operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (size == sizeof(Truss)) return segmentBlocks.take();
    return ::operator new(size, std::align_val_t(alignof(Truss)), std::nothrow);
}

void Truss::operator delete(void* segment, std::size_t size) noexcept {
    if (!segment) return;
    if (size == sizeof(Truss))
        segmentBlocks.give(segment);
    else
        ::operator delete(segment, std::align_val_t(alignof(Truss)));
}

void Truss::operator delete(void* segment, const std::nothrow_t&) noexcept {
    if (segmentBlocks.holds(segment))
        segmentBlocks.give(segment);
    else
        ::operator delete(segment, std::align_val_t(alignof(Truss)));
}

VESSEL* CreateModuleVessel(OBJHANDLE hVessel, int flightModel) {
    return new (std::nothrow) Truss(hVessel, flightModel);
}

void DestroyModuleVessel(VESSEL* vessel) { delete static_cast<Truss*>(vessel); }
