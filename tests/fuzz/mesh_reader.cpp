// Fuzz target: the mesh reader. Nothing may crash; a mesh it accepts has every
// triangle's corners among its group's vertices.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzHost.h"
#include "hostsim/Scene.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string error;
    auto mesh = hostsim::parseMesh(std::string_view(reinterpret_cast<const char*>(data), size), error);
    if (!mesh) {
        if (error.empty()) fuzzhost::fail("a mesh refused without a reason");
        return 0;
    }
    for (std::size_t g = 0; g < mesh->groups.size(); ++g) {
        const hostsim::MeshGroupData& group = mesh->groups[g];
        for (const auto& t : group.triangles)
            for (UINT corner : t)
                if (corner >= group.vertices.size())
                    fuzzhost::fail("group " + std::to_string(g) + ": corner " + std::to_string(corner) + " of " +
                                   std::to_string(group.vertices.size()) + " vertices");
        // A material the mesh does not list leaves the group grey.
        (void)mesh->colourOf(group);
    }
    return 0;
}
