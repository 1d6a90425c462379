// Handles as pointers of either width: the 64-bit builds' and the 32-bit Windows
// build's, whose 12 bits of generation run out on a slot used over and over.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>

#include "HandleTable.h"

namespace {

using hostsim::HandleKind;

template <unsigned Bits>
struct Width {
    static constexpr unsigned bits = Bits;
    using Docks = hostsim::HandleTable<int, HandleKind::Dock, Bits>;
    using Vessels = hostsim::HandleTable<int, HandleKind::Vessel, Bits>;
};
template <class W>
class HandleWidth : public ::testing::Test {};
using Widths = ::testing::Types<Width<64>, Width<32>>;
TYPED_TEST_SUITE(HandleWidth, Widths);

TYPED_TEST(HandleWidth, a_slot_used_again_and_again_never_brings_an_old_handle_back) {
    typename TypeParam::Docks table;
    const void* first = table.emplace(1).second;
    std::set<const void*> seen{first};
    table.remove(first);
    // Past the 4096 generations a 32-bit handle holds: that slot retires, another takes over.
    for (int i = 0; i < 5000; ++i) {
        auto [object, handle] = table.emplace(i);
        ASSERT_EQ(table.get(handle), object);
        ASSERT_TRUE(seen.insert(handle).second) << "handle " << handle << " came back at round " << i;
        ASSERT_EQ(table.get(first), nullptr) << "round " << i;
        table.remove(handle);
    }
    for (const void* handle : seen) EXPECT_EQ(table.get(handle), nullptr);
}

TYPED_TEST(HandleWidth, handles_fit_the_width_and_keep_their_kind) {
    typename TypeParam::Docks docks;
    typename TypeParam::Vessels vessels;
    for (int i = 0; i < 300; ++i) docks.emplace(i);  // beyond one chunk of slots
    auto [object, handle] = docks.emplace(7);
    EXPECT_EQ(docks.get(handle), object);
    EXPECT_EQ(*object, 7);
    EXPECT_EQ(std::uint64_t(reinterpret_cast<std::uintptr_t>(handle)) >> (TypeParam::bits - 1) >> 1, 0u);
    EXPECT_EQ(vessels.get(handle), nullptr);  // a dock's handle is no vessel's
}

}  // namespace
