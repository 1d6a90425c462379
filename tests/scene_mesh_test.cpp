// The text mesh format as the host reads it, malformed files included, and the
// generated meshes checked against what the modules build on them: every named mesh
// is there and readable, and every port and grapple point sits on its fitting.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "HostTest.h"
#include "hostsim/Scene.h"

namespace {

namespace fs = std::filesystem;

const char* const kSmallMesh =
    "MSHX1\n"
    "GROUPS 2\n"
    "LABEL First ; a comment\n"
    "MATERIAL 2\n"
    "TEXTURE 0\n"
    "GEOM 3 1\n"
    "0 0 0 0 0 1 0 0\n"
    "1 0 0 0 0 1 1 0\n"
    "0 1 0 0 0 1 0 1\n"
    "0 1 2\n"
    "\n"
    "NONORMAL\n"
    "GEOM 4 2\n"
    "0 0 1\n"
    "1 0 1\n"
    "1 1 1 0.5 0.5\n"
    "0 1 1\n"
    "0 1 2\n"
    "0 2 3\n"
    "MATERIALS 2\n"
    "Grey\n"
    "Red\n"
    "MATERIAL Grey\n"
    "0.5 0.5 0.5 1\n0.5 0.5 0.5 1\n0 0 0 1 10\n0 0 0 1\n"
    "MATERIAL Red\n"
    "1 0 0 1\n1 0 0 1\n0 0 0 1 10\n0 0 0 1\n"
    "TEXTURES 1\n"
    "wood.dds\n";

TEST(MeshParsing, ReadsGroupsLabelsGeometryAndMaterials) {
    std::string error;
    auto mesh = hostsim::parseMesh(kSmallMesh, error);
    ASSERT_NE(mesh, nullptr) << error;
    ASSERT_EQ(mesh->groups.size(), 2u);
    EXPECT_EQ(mesh->groups[0].label, "First");
    EXPECT_EQ(mesh->groups[0].material, 2u);
    ASSERT_EQ(mesh->groups[0].vertices.size(), 3u);
    EXPECT_EQ(mesh->groups[0].vertices[1].x, 1.0);
    ASSERT_EQ(mesh->groups[1].triangles.size(), 2u);
    EXPECT_EQ(mesh->groups[1].triangles[1][2], 3u);
    EXPECT_EQ(mesh->groups[1].vertices[2].z, 1.0);
    const hostsim::Colour red = mesh->colourOf(mesh->groups[0]);
    EXPECT_FLOAT_EQ(red.r, 1.0f);
    EXPECT_FLOAT_EQ(red.g, 0.0f);
    // A group without a material gets a neutral grey.
    const hostsim::Colour none = mesh->colourOf(mesh->groups[1]);
    EXPECT_FLOAT_EQ(none.r, none.g);
}

TEST(MeshParsing, RejectsMalformedInputSayingWhere) {
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"empty", ""},
        {"wrong magic", "MSHX2\nGROUPS 0\n"},
        {"no group count", "MSHX1\nGROUPS\n"},
        {"negative group count", "MSHX1\nGROUPS -1\n"},
        {"absurd group count", "MSHX1\nGROUPS 4000000000\nGEOM 0 0\n"},
        {"missing GEOM", "MSHX1\nGROUPS 1\nLABEL x\n"},
        {"unknown keyword", "MSHX1\nGROUPS 1\nCOLOUR 3\nGEOM 0 0\n"},
        {"GEOM without counts", "MSHX1\nGROUPS 1\nGEOM 3\n"},
        {"counts beyond the file", "MSHX1\nGROUPS 1\nGEOM 99999999 1\n0 0 0\n"},
        {"vertex too short", "MSHX1\nGROUPS 1\nGEOM 1 0\n1 2\n"},
        {"vertex not a number", "MSHX1\nGROUPS 1\nGEOM 1 0\n1 2 three\n"},
        {"vertex not finite", "MSHX1\nGROUPS 1\nGEOM 1 0\n1 2 nan\n"},
        {"vertex overflow", "MSHX1\nGROUPS 1\nGEOM 1 0\n1 2 1e999\n"},
        {"vertex too long", "MSHX1\nGROUPS 1\nGEOM 1 0\n1 2 3 4 5 6 7 8 9\n"},
        {"triangle index out of range", "MSHX1\nGROUPS 1\nGEOM 3 1\n0 0 0\n1 0 0\n0 1 0\n0 1 3\n"},
        {"negative triangle index", "MSHX1\nGROUPS 1\nGEOM 3 1\n0 0 0\n1 0 0\n0 1 0\n0 -1 2\n"},
        {"triangle too short", "MSHX1\nGROUPS 1\nGEOM 3 1\n0 0 0\n1 0 0\n0 1 0\n0 1\n"},
        {"vertices end early", "MSHX1\nGROUPS 1\nGEOM 3 1\n0 0 0\n1 0 0\n"},
        {"fewer groups than counted", "MSHX1\nGROUPS 2\nGEOM 1 0\n0 0 0\n"},
        {"material colour missing", "MSHX1\nGROUPS 0\nMATERIALS 1\nA\nMATERIAL A\n1 1 1 1\n"},
        {"junk after the groups", "MSHX1\nGROUPS 0\nhello\n"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_EQ(hostsim::parseMesh(c.text, error), nullptr) << c.what;
        EXPECT_EQ(error.rfind("line ", 0), 0u) << c.what << ": " << error;
    }
}

TEST(MeshParsing, SurvivesEveryTruncationAndRandomDamage) {
    const std::string good = kSmallMesh;
    for (size_t n = 0; n < good.size(); ++n) {
        std::string error;
        auto mesh = hostsim::parseMesh(std::string_view(good).substr(0, n), error);
        // A cut file is either refused or, cut inside the trailing lists, still whole.
        if (mesh) {
            for (const auto& g : mesh->groups)
                for (const auto& t : g.triangles)
                    for (UINT i : t) ASSERT_LT(i, g.vertices.size());
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
    std::mt19937 random(8);
    for (int round = 0; round < 2000; ++round) {
        std::string text = good;
        for (int k = 0; k < 3; ++k) text[random() % text.size()] = char(random() % 256);
        std::string error;
        auto mesh = hostsim::parseMesh(text, error);
        if (!mesh) continue;
        for (const auto& g : mesh->groups)
            for (const auto& t : g.triangles)
                for (UINT i : t) ASSERT_LT(i, g.vertices.size());
    }
}

class MeshFiles : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        dir = fs::temp_directory_path() / ("hostsim_mesh_test_" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
        HostTest::TearDown();
    }
    void Write(const fs::path& file, const std::string& text) {
        std::ofstream out(file, std::ios::trunc);
        out << text;
    }
    fs::path dir;
};

size_t CountLinesContaining(const std::vector<std::string>& log, const std::string& text) {
    return size_t(std::count_if(log.begin(), log.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; }));
}

TEST_F(MeshFiles, MissingFileIsNotFound) {
    std::string error;
    EXPECT_EQ(hostsim::loadMeshFile(dir / "absent.msh", error), nullptr);
    EXPECT_EQ(error, "not found");
}

TEST_F(MeshFiles, MalformedFileIsLoggedOnceAndReadAgainWhenItChanges) {
    const fs::path file = dir / "bad.msh";
    Write(file, "MSHX1\nGROUPS 1\nGEOM 1 1\n0 0 0\n0 0 7\n");
    std::string error;
    EXPECT_EQ(hostsim::loadMeshFile(file, error), nullptr);
    EXPECT_EQ(error, "line 5: triangle index out of range");
    EXPECT_EQ(hostsim::loadMeshFile(file, error), nullptr);
    EXPECT_EQ(CountLinesContaining(host().log(), "Mesh file unreadable: " + file.string()), 1u);

    Write(file, kSmallMesh);
    fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(2));
    auto mesh = hostsim::loadMeshFile(file, error);
    ASSERT_NE(mesh, nullptr) << error;
    EXPECT_EQ(mesh->groups.size(), 2u);
}

TEST_F(MeshFiles, MeshNamesMapToFilesUnderTheRoot) {
    EXPECT_EQ(hostsim::meshFilePath("Truss\\SolarTruss"), host().root() / "Meshes" / "Truss" / "SolarTruss.msh");
}

// ---- The generated meshes against the modules ----

// Every mesh the modules name, with the scenario lines that make a vessel show it.
struct Showing {
    const char* className;
    std::vector<std::string> lines;
};
const std::vector<Showing>& EveryMeshShown() {
    static const std::vector<Showing> all = {
        {"Truss", {"TYPE 2", "STS 1"}},  {"Truss", {"TYPE 6"}},   {"Truss", {"TYPE 12"}},
        {"Truss", {"TYPE 18"}},          {"Truss", {"TYPE 61"}},  {"Truss", {"TYPE 63"}},
        {"Haulbed", {"SEGS 2", "STS 1"}},
    };
    return all;
}

TEST_F(MeshFiles, EveryMeshTheModulesNameIsThereAndFitsTheirAnimations) {
    std::vector<std::string> seen;
    int n = 0;
    for (const Showing& s : EveryMeshShown()) {
        OBJHANDLE h = make("V" + std::to_string(n++), s.className, s.lines);
        ASSERT_NE(h, nullptr);
        for (UINT m = 0; m < v(h).meshes.size(); ++m) {
            const hostsim::Mesh& mesh = v(h).meshes[m];
            ASSERT_TRUE(mesh.used);
            EXPECT_TRUE(mesh.fileFound) << mesh.name;
            EXPECT_FALSE(hostsim::evaluateMesh(v(h), m).empty()) << mesh.name;
            seen.push_back(mesh.name);
        }
        EXPECT_TRUE(hostsim::checkAnimatedGroups(v(h)).empty()) << s.lines[0];
    }
    std::sort(seen.begin(), seen.end());
    seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
    EXPECT_EQ(seen.size(), 11u);
    EXPECT_EQ(CountLinesContaining(host().log(), "Mesh"), 0u);
}

// How far along `dir` from `point` the first surface is that a ray coming in along
// -dir from far out meets; -infinity when it meets none.
double FirstHit(const std::vector<hostsim::EvaluatedGroup>& groups, const VECTOR3& point, const VECTOR3& dir) {
    constexpr double kFar = 50;
    const VECTOR3 origin = point + dir * kFar, ray = -dir;
    double nearest = 1e300;
    for (const auto& g : groups)
        for (const auto& t : g.rest().triangles) {
            // Moller-Trumbore.
            const VECTOR3 a = g.vertices[t[0]], e1 = g.vertices[t[1]] - a, e2 = g.vertices[t[2]] - a;
            const VECTOR3 p = crossp(ray, e2);
            const double det = dotp(e1, p);
            if (std::fabs(det) < 1e-15) continue;
            const VECTOR3 s = origin - a;
            const double u = dotp(s, p) / det;
            if (u < 0 || u > 1) continue;
            const VECTOR3 q = crossp(s, e1);
            const double w = dotp(ray, q) / det;
            if (w < 0 || u + w > 1) continue;
            const double along = dotp(e2, q) / det;
            if (along > 0) nearest = std::min(nearest, along);
        }
    return nearest == 1e300 ? -1e300 : kFar - nearest;
}

// The outermost surface over a fitting: rays along its axis and, when `rim` is given,
// on a circle of that radius round it (a docking ring has its hole on the axis).
double Outermost(const std::vector<hostsim::EvaluatedGroup>& groups, const VECTOR3& point, const VECTOR3& dir,
                 double rim = 0) {
    double best = FirstHit(groups, point, dir);
    if (rim <= 0) return best;
    VECTOR3 p = crossp(dir, std::fabs(dir.x) < 0.9 ? _V(1, 0, 0) : _V(0, 1, 0));
    p = p / std::sqrt(dotp(p, p));
    const VECTOR3 q = crossp(dir, p);
    for (int i = 0; i < 8; ++i) {
        const double a = i * 3.141592653589793 / 4;
        best = std::max(best, FirstHit(groups, point + p * (rim * std::cos(a)) + q * (rim * std::sin(a)), dir));
    }
    return best;
}

constexpr double kFitTol = 1e-4;      // m
constexpr double kRingMiddle = 0.52;  // m from a port's axis, on its docking ring's face

TEST_F(MeshFiles, PortsAndGrapplePointsSitOnTheirFittings) {
    int n = 0;
    for (const Showing& s : EveryMeshShown()) {
        OBJHANDLE h = make("V" + std::to_string(n++), s.className, s.lines);
        ASSERT_NE(h, nullptr);
        const auto groups = hostsim::evaluateVessel(v(h));
        ASSERT_FALSE(groups.empty());
        // A docking face: the outermost surface over the port, out to a docking ring's
        // middle, lies in the port's plane.
        for (const hostsim::Dock* d : v(h).docks)
            EXPECT_NEAR(Outermost(groups, d->pos, d->dir, kRingMiddle), 0.0, kFitTol)
                << s.lines[0] << " port at " << d->pos.x << " " << d->pos.y << " " << d->pos.z;
        // Grapple fixtures face away from the axis, whichever way the point's direction
        // is given (the carrier's lower fixtures keep the +y direction).
        for (const hostsim::Attachment* a : v(h).parentPoints) {
            if (a->id != "GS") continue;
            const VECTOR3 out = _V(0, a->pos.y > 0 ? 1.0 : -1.0, 0);
            EXPECT_NEAR(Outermost(groups, a->pos, out), 0.0, kFitTol)
                << s.lines[0] << " grapple point at " << a->pos.x << " " << a->pos.y << " " << a->pos.z;
        }
        // Pallet points on the latch fittings.
        for (const hostsim::Attachment* a : v(h).childPoints) {
            if (a->id != "PALLET") continue;
            EXPECT_NEAR(Outermost(groups, a->pos, a->dir), 0.0, kFitTol)
                << s.lines[0] << " pallet point at " << a->pos.x << " " << a->pos.y << " " << a->pos.z;
        }
    }
}

TEST_F(MeshFiles, SegmentsAreAsLongAsTheirEndPortsAreApart) {
    const struct {
        const char* type;
        double half;
    } cases[] = {{"TYPE 6", 3}, {"TYPE 12", 6}, {"TYPE 18", 9}, {"TYPE 61", 3}, {"TYPE 63", 3}, {"TYPE 2", 1.875}};
    int n = 0;
    for (const auto& c : cases) {
        OBJHANDLE h = make("T" + std::to_string(n++), "Truss", {c.type});
        double lo = 1e300, hi = -1e300;
        for (const auto& g : hostsim::evaluateMesh(v(h), 0))
            for (const VECTOR3& p : g.vertices) lo = std::min(lo, p.x), hi = std::max(hi, p.x);
        EXPECT_NEAR(lo, -c.half, kFitTol) << c.type;
        EXPECT_NEAR(hi, c.half, kFitTol) << c.type;
        ASSERT_GE(v(h).docks.size(), 2u);
        EXPECT_DOUBLE_EQ(v(h).docks[0]->pos.x, c.half) << c.type;
    }
}

TEST_F(MeshFiles, CarrierBasesReachTheirDocksAndLeaveTheSegmentsFree) {
    OBJHANDLE c = make("C", "Haulbed", {"SEGS 4"});
    double lo = 1e300, hi = -1e300;
    for (const auto& g : hostsim::evaluateVessel(v(c)))
        for (const VECTOR3& p : g.vertices) lo = std::min(lo, p.z), hi = std::max(hi, p.z);
    EXPECT_NEAR(lo, -1.57, kFitTol);
    EXPECT_NEAR(hi, 1.5 * 3 + 1.57, kFitTol);
    // A segment's turning pallet stays within its own 1.5 m, clear of the bases.
    auto segment = hostsim::evaluateMesh(v(c), 1);
    ASSERT_GE(segment.size(), 4u);
    for (UINT g = 0; g < 4; ++g)
        for (const VECTOR3& p : segment[g].vertices) ASSERT_LT(std::fabs(p.z), 0.75);
}

}  // namespace
