// Opaque handles that detect staleness: a handle encodes a slot index, the slot's
// generation and a kind tag, so a stale handle, a handle of another kind or an
// arbitrary pointer is refused without anything being read through it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace hostsim {

enum class HandleKind : std::uintptr_t { Vessel = 1, Dock = 2, Attachment = 3, Component = 4, File = 5, Window = 6 };

template <class T, HandleKind Kind>
class HandleTable {
public:
    // Takes ownership of the object and returns its handle.
    void* add(std::unique_ptr<T> object) {
        std::uint32_t index;
        if (!free_.empty()) {
            index = free_.back();
            free_.pop_back();
        } else {
            index = std::uint32_t(slots_.size());
            slots_.push_back(Slot{});
        }
        slots_[index].object = std::move(object);
        return encode(index, slots_[index].generation);
    }

    // The live object behind a handle, or null.
    T* get(const void* handle) const {
        auto v = reinterpret_cast<std::uintptr_t>(handle);
        if ((v & kKindMask) != std::uintptr_t(Kind)) return nullptr;
        std::uintptr_t index = (v >> kIndexShift) & kIndexMask;
        auto generation = std::uint32_t(v >> kGenerationShift);
        if (index >= slots_.size()) return nullptr;
        const Slot& slot = slots_[index];
        return slot.generation == generation ? slot.object.get() : nullptr;
    }

    // Ends the object's life; its handle becomes stale.
    void remove(const void* handle) {
        if (!get(handle)) return;
        auto index = std::uint32_t((reinterpret_cast<std::uintptr_t>(handle) >> kIndexShift) & kIndexMask);
        Slot& slot = slots_[index];
        slot.object.reset();
        ++slot.generation;
        free_.push_back(index);
    }

    // Ends every object's life. Generations survive, so no old handle comes back.
    void clear() {
        for (std::uint32_t i = 0; i < slots_.size(); ++i) {
            if (slots_[i].object) {
                slots_[i].object.reset();
                ++slots_[i].generation;
                free_.push_back(i);
            }
        }
    }

private:
    static constexpr std::uintptr_t kKindMask = 0xF;
    static constexpr unsigned kIndexShift = 4;
    static constexpr std::uintptr_t kIndexMask = 0x0FFFFFFF;
    static constexpr unsigned kGenerationShift = 32;

    struct Slot {
        std::unique_ptr<T> object;
        std::uint32_t generation = 1;
    };

    static void* encode(std::uint32_t index, std::uint32_t generation) {
        return reinterpret_cast<void*>((std::uintptr_t(generation) << kGenerationShift) |
                                       (std::uintptr_t(index) << kIndexShift) | std::uintptr_t(Kind));
    }

    std::vector<Slot> slots_;
    std::vector<std::uint32_t> free_;
};

}  // namespace hostsim
