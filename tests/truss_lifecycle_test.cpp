// A truss object's life through the loaded module: what construction and the class
// caps make, what a vessel without truss lines becomes, and what destruction removes.
#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "HostTest.h"

namespace {

std::string PointerText(const void* p) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%p", p);
    return buf;
}

// The argument of a one-argument journal entry such as "DelDock 0x1234".
std::set<std::string> Arguments(const std::vector<std::string>& entries) {
    std::set<std::string> args;
    for (const std::string& e : entries) args.insert(e.substr(e.find(' ') + 1));
    return args;
}

class TrussLifecycle : public HostTest {
protected:
    hostsim::Module& spanrig() {
        hostsim::Module* m = host().loadModule("Spanrig");
        EXPECT_NE(m, nullptr);
        return *m;
    }
};

TEST_F(TrussLifecycle, ANewTrussCreatesNothingAndItsClassCapsAddOnlyTheCarrierPoint) {
    // A plain vessel lends its handle, so that the host's records show what the
    // object itself makes, before any scenario line is read.
    OBJHANDLE h = make("Host", "Crate");
    hostsim::Module& module = spanrig();
    host().journal().enable();
    // The simulator takes the object as a VESSEL2, as the host does.
    auto* object = static_cast<VESSEL2*>(module.ovcInit(h, 1));
    ASSERT_NE(object, nullptr);
    EXPECT_TRUE(host().journal().entries().empty());
    EXPECT_TRUE(v(h).meshes.empty());
    EXPECT_TRUE(v(h).docks.empty());
    EXPECT_TRUE(v(h).parentPoints.empty());
    EXPECT_TRUE(v(h).animations.empty());

    object->clbkSetClassCaps(nullptr);
    // One call, and nothing else: no mesh, port, mass or animation.
    ASSERT_EQ(host().journal().entries().size(), 1u);
    EXPECT_EQ(host().journal().names()[0], "CreateAttachment");
    ASSERT_EQ(v(h).parentPoints.size(), 1u);
    const hostsim::Attachment& car = *v(h).parentPoints[0];
    EXPECT_EQ(car.id, "CAR");
    EXPECT_TRUE(car.toParent);
    EXPECT_FALSE(car.loose);
    EXPECT_EQ(car.pos.x, 0.0);
    EXPECT_EQ(car.pos.y, 0.0);
    EXPECT_EQ(car.pos.z, 0.0);
    EXPECT_EQ(car.dir.x, 0.0);
    EXPECT_EQ(car.dir.y, -0.866025);
    EXPECT_EQ(car.dir.z, 0.5);
    EXPECT_EQ(car.rot.x, 1.0);
    EXPECT_EQ(car.rot.y, 0.0);
    EXPECT_EQ(car.rot.z, 0.0);
    EXPECT_TRUE(v(h).meshes.empty());
    EXPECT_TRUE(v(h).docks.empty());

    // An object that was never built has nothing of a type to take down.
    host().journal().clear();
    module.ovcExit(object);
    EXPECT_TRUE(host().journal().entries().empty());
    EXPECT_EQ(v(h).parentPoints.size(), 1u);
}

TEST_F(TrussLifecycle, OvcInitMakesOneObjectPerCallAndOvcExitDestroysThatObject) {
    OBJHANDLE a = make("A", "Crate");
    OBJHANDLE b = make("B", "Crate");
    auto* first = static_cast<VESSEL2*>(spanrig().ovcInit(a, 1));
    auto* second = static_cast<VESSEL2*>(spanrig().ovcInit(b, 1));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->GetHandle(), a);
    EXPECT_EQ(second->GetHandle(), b);

    // Destroying one object takes down its own build only.
    first->clbkSetClassCaps(nullptr);
    second->clbkSetClassCaps(nullptr);
    first->clbkLoadStateEx(nullptr, nullptr);
    second->clbkLoadStateEx(nullptr, nullptr);
    ASSERT_EQ(v(a).docks.size(), 18u);
    ASSERT_EQ(v(b).docks.size(), 18u);
    spanrig().ovcExit(first);
    EXPECT_TRUE(v(a).docks.empty());
    EXPECT_EQ(v(b).docks.size(), 18u);
    spanrig().ovcExit(second);
    EXPECT_TRUE(v(b).docks.empty());
}

TEST_F(TrussLifecycle, AVesselWithoutTrussLinesIsASixMetreSegmentWithEverythingStopped) {
    OBJHANDLE h = make("T", "Truss");
    EXPECT_EQ(v(h).meshes.at(0).name, "Truss\\truss6m");
    EXPECT_DOUBLE_EQ(v(h).emptyMass, 3000.0);
    auto lines = host().saveVesselLines(h);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "  TYPE 6");
    for (const std::string& line : lines) EXPECT_EQ(line.find("ANIM"), std::string::npos) << line;

    host().journal().enable();
    host().step(10);
    EXPECT_EQ(host().journal().count("SetAnimation"), 0u);
}

TEST_F(TrussLifecycle, DestroyingEachTypeDeletesEveryPortPointAnimationAndMeshItMade) {
    for (int type : {2, 6, 12, 18, 61, 63}) {
        SCOPED_TRACE(type);
        host().reset();
        host().setRoot(HOSTSIM_TEST_ROOT);
        OBJHANDLE h = make("T", "Truss", {"TYPE " + std::to_string(type), "STS"});
        const hostsim::Vessel& t = v(h);

        std::set<std::string> docks, points;
        for (const hostsim::Dock* d : t.docks) docks.insert(PointerText(d->handle));
        for (const hostsim::Attachment* a : t.parentPoints)
            if (a->id != "CAR") points.insert(PointerText(a->handle));
        const size_t meshes = t.meshes.size();
        const size_t animations = t.animations.size();

        host().journal().enable();
        host().destroyVessel(h);
        const hostsim::Journal& j = host().journal();
        EXPECT_EQ(j.count("DelDock"), docks.size());
        EXPECT_EQ(Arguments(j.calls("DelDock")), docks);
        EXPECT_EQ(j.count("DelAttachment"), points.size());
        EXPECT_EQ(Arguments(j.calls("DelAttachment")), points);
        EXPECT_EQ(j.count("DelMesh"), meshes);
        EXPECT_EQ(j.count("DelAnimation"), animations);

        // Animations go before the mesh they act on, while their transforms still exist.
        auto names = j.names();
        if (animations > 0) {
            auto lastAnimation = std::find(names.rbegin(), names.rend(), "DelAnimation");
            auto firstMesh = std::find(names.begin(), names.end(), "DelMesh");
            EXPECT_LT(lastAnimation.base() - names.begin(), firstMesh - names.begin() + 1);
        }
    }
}

}  // namespace
