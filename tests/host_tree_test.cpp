// Trees of vessels hanging from one another, as deep and as wide as a scenario makes
// them and listed in any order: every link is made (but one that would close a
// cycle), every vessel is placed, and the work of checking links and placing grows
// in proportion to the vessels, never with a tree's depth.
#include <algorithm>
#include <numeric>
#include <random>

#include "HostTest.h"

namespace {

enum class Shape { Chain, Tree, Cycle };
enum class Order { RootFirst, DeepestFirst, Shuffled };

struct Graph {
    const char* what;
    Shape shape;
    Order order;
    int vessels;
};
void PrintTo(const Graph& g, std::ostream* os) { *os << g.what; }

// Carriers, each hanging by its carrier point (0) from a pallet point of its parent:
// a chain hangs each from the one before; a tree hangs four from each; a cycle is a
// chain whose first also hangs from its last.
std::string scenario(const Graph& g) {
    std::vector<int> listing(g.vessels);
    std::iota(listing.begin(), listing.end(), 0);
    if (g.order == Order::DeepestFirst) std::reverse(listing.begin(), listing.end());
    if (g.order == Order::Shuffled) std::shuffle(listing.begin(), listing.end(), std::mt19937(20240613));
    std::string text = "BEGIN_SHIPS\n";
    for (int i : listing) {
        text += "C" + std::to_string(i) + ":Haulbed\n";
        if (g.shape == Shape::Tree && i > 0)
            text += "  ATTACHED 0:" + std::to_string((i - 1) % 4) + ",C" + std::to_string((i - 1) / 4) + "\n";
        else if (i > 0)
            text += "  ATTACHED 0:0,C" + std::to_string(i - 1) + "\n";
        else if (g.shape == Shape::Cycle)
            text += "  ATTACHED 0:0,C" + std::to_string(g.vessels - 1) + "\n";
        text += "END\n";
    }
    return text + "END_SHIPS\n";
}

class HostTrees : public HostTest, public ::testing::WithParamInterface<Graph> {};

TEST_P(HostTrees, every_link_is_made_and_placed_with_work_in_proportion_to_the_vessels) {
    const Graph& g = GetParam();
    ASSERT_EQ(host().loadScenarioText(scenario(g)), "");
    const std::vector<std::string> warnings = host().takeWarnings();
    // Of a cycle, the link that would close it is refused, whichever it is.
    ASSERT_EQ(warnings.size(), g.shape == Shape::Cycle ? 1u : 0u);
    for (const std::string& w : warnings) EXPECT_NE(w.find("the attachment was refused"), std::string::npos) << w;

    int hanging = 0;
    for (const hostsim::Vessel* v : host().vessels()) {
        ASSERT_FALSE(v->placementDue) << v->name;
        ASSERT_TRUE(std::isfinite(v->pos.x) && std::isfinite(v->pos.y) && std::isfinite(v->pos.z)) << v->name;
        const hostsim::Attachment* up = v->attachedTo();
        if (!up) continue;
        ++hanging;
        const int i = std::stoi(v->name.substr(1));
        const int parent = g.shape == Shape::Tree ? (i - 1) / 4 : (i + g.vessels - 1) % g.vessels;
        ASSERT_EQ(up->partner->owner->name, "C" + std::to_string(parent)) << v->name;
    }
    EXPECT_EQ(hanging, g.vessels - 1);
    // A check or a placement that walked up the tree for each link would take steps
    // in the order of the vessels times the depth.
    EXPECT_LE(host().treeSteps(), 6u * std::uint64_t(g.vessels)) << g.what;
}

INSTANTIATE_TEST_SUITE_P(
    Graphs, HostTrees,
    ::testing::Values(Graph{"deep_chain_root_first", Shape::Chain, Order::RootFirst, 20000},
                      Graph{"deep_chain_deepest_first", Shape::Chain, Order::DeepestFirst, 20000},
                      Graph{"chain_shuffled", Shape::Chain, Order::Shuffled, 3000},
                      Graph{"tree_root_first", Shape::Tree, Order::RootFirst, 3000},
                      Graph{"tree_deepest_first", Shape::Tree, Order::DeepestFirst, 3000},
                      Graph{"tree_shuffled", Shape::Tree, Order::Shuffled, 3000},
                      Graph{"cycle_root_first", Shape::Cycle, Order::RootFirst, 3000},
                      Graph{"cycle_deepest_first", Shape::Cycle, Order::DeepestFirst, 3000},
                      Graph{"cycle_shuffled", Shape::Cycle, Order::Shuffled, 3000}),
    [](const ::testing::TestParamInfo<Graph>& info) { return std::string(info.param.what); });

}  // namespace
