// Opaque handles that detect staleness: a handle encodes a slot index, the slot's
// generation and a kind tag, so a stale handle, a handle of another kind or an
// arbitrary pointer is refused without anything being read through it. A handle is a
// pointer: 64 bits hold 28 bits of index and 32 of generation, 32 bits (the 32-bit
// Windows build) 16 and 12. A slot whose generation has run through all its values is
// retired, so that no stale handle ever comes back.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace hostsim {

enum class HandleKind : std::uintptr_t { Vessel = 1, Dock = 2, Attachment = 3, Component = 4, File = 5, Window = 6 };

// The objects live in chunks of slots, so that they stay where they are made and
// objects made one after another lie side by side in memory: the step walks them. The
// generations and use flags of a chunk's slots are kept together apart from the
// objects, so that an object keeps its own alignment and a look-up reads one line of
// them for many slots.
template <class T, HandleKind Kind, unsigned HandleBits = sizeof(void*) * 8>
class HandleTable {
    static_assert(HandleBits == 32 || HandleBits == 64);
    static_assert(HandleBits <= sizeof(std::uintptr_t) * 8);

public:
    HandleTable() = default;
    HandleTable(const HandleTable&) = delete;
    HandleTable& operator=(const HandleTable&) = delete;
    ~HandleTable() { clear(); }

    // Makes an object in a free slot; returns it and its handle.
    template <class... Args>
    std::pair<T*, void*> emplace(Args&&... args) {
        std::uint32_t index;
        if (!free_.empty()) {
            index = free_.back();
            free_.pop_back();
        } else {
            index = count_++;
            if (index / kChunkSize == chunks_.size()) chunks_.push_back(std::make_unique_for_overwrite<Chunk>());
        }
        T* object = ::new (static_cast<void*>(storageAt(index))) T(std::forward<Args>(args)...);
        SlotState& state = stateAt(index);
        state.live = true;
        return {object, encode(index, state.generation)};
    }

    // The live object behind a handle, or null.
    T* get(const void* handle) const {
        auto v = reinterpret_cast<std::uintptr_t>(handle);
        if ((v & kKindMask) != std::uintptr_t(Kind)) return nullptr;
        std::uintptr_t index = (v >> kIndexShift) & kIndexMask;
        auto generation = std::uint32_t(v >> kGenerationShift);
        if (index >= count_) return nullptr;
        const SlotState& state = stateAt(std::uint32_t(index));
        return state.generation == generation && state.live ? objectAt(std::uint32_t(index)) : nullptr;
    }

    // Ends the object's life; its handle becomes stale.
    void remove(const void* handle) {
        if (!get(handle)) return;
        release(std::uint32_t((reinterpret_cast<std::uintptr_t>(handle) >> kIndexShift) & kIndexMask));
    }

    // Ends every object's life. Generations survive, so no old handle comes back.
    void clear() {
        for (std::uint32_t i = 0; i < count_; ++i)
            if (stateAt(i).live) release(i);
    }

private:
    static constexpr std::uintptr_t kKindMask = 0xF;
    static constexpr unsigned kIndexShift = 4;
    static constexpr unsigned kIndexBits = HandleBits == 64 ? 28 : 16;
    static constexpr std::uintptr_t kIndexMask = (std::uintptr_t(1) << kIndexBits) - 1;
    static constexpr unsigned kGenerationShift = HandleBits == 64 ? 32 : kIndexShift + kIndexBits;
    static constexpr std::uint64_t kGenerations = std::uint64_t(1) << (HandleBits - kGenerationShift);
    static constexpr std::uint32_t kChunkSize = 256;

    struct SlotState {
        std::uint32_t generation = 1;
        bool live = false;
    };
    struct Storage {
        alignas(T) unsigned char bytes[sizeof(T)];
    };
    struct Chunk {
        std::array<SlotState, kChunkSize> states;
        std::array<Storage, kChunkSize> objects;
    };

    SlotState& stateAt(std::uint32_t index) const { return chunks_[index / kChunkSize]->states[index % kChunkSize]; }
    unsigned char* storageAt(std::uint32_t index) const {
        return chunks_[index / kChunkSize]->objects[index % kChunkSize].bytes;
    }
    T* objectAt(std::uint32_t index) const { return std::launder(reinterpret_cast<T*>(storageAt(index))); }

    void release(std::uint32_t index) {
        SlotState& state = stateAt(index);
        state.live = false;
        objectAt(index)->~T();
        if (state.generation + std::uint64_t(1) == kGenerations) return;  // retired
        ++state.generation;
        free_.push_back(index);
    }

    // What does not fit the handle's width is lost, as it would be in a pointer of that width.
    static void* encode(std::uint32_t index, std::uint32_t generation) {
        std::uint64_t value = (std::uint64_t(generation) << kGenerationShift) |
                              (std::uint64_t(index) << kIndexShift) | std::uint64_t(Kind);
        return reinterpret_cast<void*>(std::uintptr_t(value & (~std::uint64_t(0) >> (64 - HandleBits))));
    }

    std::vector<std::unique_ptr<Chunk>> chunks_;
    std::uint32_t count_ = 0;  // slots ever used
    std::vector<std::uint32_t> free_;
};

}  // namespace hostsim
