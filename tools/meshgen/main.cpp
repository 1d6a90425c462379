// meshgen: writes every mesh that the truss and carrier modules name, in the
// simulator's text mesh format, under the given Meshes folder.
//   meshgen <Meshes folder>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "Meshes.h"

namespace fs = std::filesystem;
using namespace meshgen;

namespace {

struct Output {
    const char* file;  // relative to the Meshes folder, as the module's name maps to it
    std::function<Mesh()> make;
};

const std::vector<Output>& Outputs() {
    static const std::vector<Output> outputs = {
        {"Truss/Base2.msh", BaseSegment},
        {"Truss/BaseTrunnions.msh", BaseTrunnions},
        {"Truss/truss6m.msh", [] { return StraightSegment(6); }},
        {"Truss/truss12m.msh", [] { return StraightSegment(12); }},
        {"Truss/truss18m.msh", [] { return StraightSegment(18); }},
        {"Truss/RadiatorTruss.msh", RadiatorSegment},
        {"Truss/SolarTruss.msh", SolarSegment},
        {"Truss/Carriers/HaulbedBase1.msh", [] { return CarrierBase(-1); }},
        {"Truss/Carriers/HaulbedSegment.msh", CarrierSegment},
        {"Truss/Carriers/HaulbedBase2.msh", [] { return CarrierBase(1); }},
        {"Truss/Carriers/Trunnions.msh", CarrierTrunnions},
    };
    return outputs;
}

bool Write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return bool(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: meshgen <Meshes folder>\n");
        return 2;
    }
    const fs::path root = argv[1];
    try {
        for (const Output& o : Outputs()) {
            std::ostringstream text;
            o.make().Write(text);
            if (!Write(root / o.file, text.str())) {
                std::fprintf(stderr, "meshgen: cannot write %s\n", (root / o.file).string().c_str());
                return 1;
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "meshgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
