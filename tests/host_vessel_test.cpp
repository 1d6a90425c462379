// The host's side of the vessel interface: handles, names, meshes, docks,
// attachments and animations, driven as a module drives them.
#include <cmath>

#include "HostTest.h"

namespace {

constexpr double kTol = 1e-9;

void expectNear(const VECTOR3& a, const VECTOR3& b, double tol = kTol) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}

class HostVessel : public HostTest {
protected:
    VESSEL* crate(const std::string& name) { return oapiGetVesselInterface(make(name, "Crate")); }
};

TEST_F(HostVessel, oapiIsVessel_refuses_null_freed_and_arbitrary_values) {
    OBJHANDLE a = make("A", "Crate");
    EXPECT_TRUE(oapiIsVessel(a));
    EXPECT_FALSE(oapiIsVessel(nullptr));
    int local = 0;
    EXPECT_FALSE(oapiIsVessel(&local));
    EXPECT_FALSE(oapiIsVessel(reinterpret_cast<OBJHANDLE>(std::uintptr_t(0xdeadbeef))));
    host().destroyVessel(a);
    EXPECT_FALSE(oapiIsVessel(a));
    // A new vessel does not bring the old handle back to life.
    OBJHANDLE b = make("B", "Crate");
    EXPECT_TRUE(oapiIsVessel(b));
    EXPECT_FALSE(oapiIsVessel(a));
    EXPECT_NE(a, b);
}

TEST_F(HostVessel, names_are_unique_and_found_without_regard_to_case) {
    OBJHANDLE a = make("Alpha", "Crate");
    OBJHANDLE b = make("Beta", "Crate");
    EXPECT_EQ(host().createVessel("ALPHA", "Crate"), nullptr);
    char alpha[] = "alpha", beta[] = "BETA", gamma[] = "Gamma";
    EXPECT_EQ(oapiGetVesselByName(alpha), a);
    EXPECT_EQ(oapiGetVesselByName(beta), b);
    EXPECT_EQ(oapiGetVesselByName(gamma), nullptr);
    EXPECT_EQ(oapiGetVesselCount(), 2u);
    EXPECT_EQ(oapiGetVesselByIndex(0), a);
    EXPECT_EQ(oapiGetVesselByIndex(1), b);
    EXPECT_EQ(oapiGetVesselByIndex(2), nullptr);
    EXPECT_EQ(oapiGetVesselByIndex(-1), nullptr);

    char buf[4] = {'x', 'x', 'x', 'x'};
    oapiGetObjectName(a, buf, 4);
    EXPECT_STREQ(buf, "Alp");
    char full[256];
    oapiGetObjectName(b, full, 256);
    EXPECT_STREQ(full, "Beta");
    oapiGetObjectName(nullptr, full, 256);
    EXPECT_STREQ(full, "");
}

TEST_F(HostVessel, unknown_class_is_refused_and_class_file_items_apply) {
    EXPECT_EQ(host().createVessel("X", "NoSuchClass"), nullptr);
    EXPECT_EQ(host().createVessel("Y", "../Crate"), nullptr);
    OBJHANDLE c = make("C", "Crate");
    EXPECT_DOUBLE_EQ(v(c).emptyMass, 500);
}

TEST_F(HostVessel, meshes_reuse_the_first_free_slot_and_shift) {
    VESSEL* c = crate("C");
    VECTOR3 ofs = _V(1, 2, 3);
    EXPECT_EQ(c->AddMesh("A"), 0u);
    EXPECT_EQ(c->AddMesh("B", &ofs), 1u);
    EXPECT_EQ(c->AddMesh("C"), 2u);
    EXPECT_TRUE(c->DelMesh(0));
    EXPECT_FALSE(c->DelMesh(0));
    EXPECT_FALSE(c->DelMesh(7));
    EXPECT_EQ(v(c->GetHandle()).meshes.size(), 3u);
    EXPECT_EQ(c->AddMesh("D"), 0u);
    EXPECT_EQ(c->AddMesh("E"), 3u);
    EXPECT_TRUE(c->ShiftMesh(1, _V(0, 0, 1.5)));
    expectNear(v(c->GetHandle()).meshes[1].offset, _V(1, 2, 4.5));
    const auto& log = host().log();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& l) { return l.starts_with("Mesh not found: ") && l.ends_with("Meshes/A.msh"); }));
}

TEST_F(HostVessel, deleting_a_mesh_deletes_the_animation_components_on_it_unless_retained) {
    VESSEL* c = crate("C");
    static UINT grp[1] = {0};
    MGROUP_ROTATE onMesh0(0, grp, 1, _V(0, 0, 0), _V(1, 0, 0), 1.0f);
    MGROUP_ROTATE childOnMesh1(1, grp, 1, _V(0, 0, 0), _V(1, 0, 0), 1.0f);
    MGROUP_ROTATE onMesh1(1, grp, 1, _V(0, 0, 0), _V(1, 0, 0), 1.0f);
    c->AddMesh("M0");
    c->AddMesh("M1");
    UINT anim = c->CreateAnimation(0);
    ANIMATIONCOMPONENT_HANDLE parent = c->AddAnimationComponent(anim, 0, 1, &onMesh0);
    c->AddAnimationComponent(anim, 0, 1, &childOnMesh1, parent);
    c->AddAnimationComponent(anim, 0, 1, &onMesh1);
    EXPECT_TRUE(c->DelMesh(1, true));
    EXPECT_EQ(v(c->GetHandle()).animations[anim].components.size(), 3u);
    c->AddMesh("M1");
    EXPECT_TRUE(c->DelMesh(0));
    // The component on mesh 0 goes, and its child with it.
    ASSERT_EQ(v(c->GetHandle()).animations[anim].components.size(), 1u);
    EXPECT_EQ(v(c->GetHandle()).animations[anim].components.front()->transform, &onMesh1);
}

TEST_F(HostVessel, animations_keep_components_as_a_tree_and_never_reuse_indices) {
    VESSEL* c = crate("C");
    static UINT grp[2] = {3, 4};
    MGROUP_ROTATE base(0, grp, 2, _V(0, 0, 0), _V(1, 0, 0), 6.2831855f);
    MGROUP_TRANSLATE tip(0, grp + 1, 1, _V(0, 0, 2));
    UINT a0 = c->CreateAnimation(0.25);
    UINT a1 = c->CreateAnimation(0);
    EXPECT_EQ(a0, 0u);
    EXPECT_EQ(a1, 1u);
    ANIMATIONCOMPONENT_HANDLE hb = c->AddAnimationComponent(a0, 0, 1, &base);
    ANIMATIONCOMPONENT_HANDLE ht = c->AddAnimationComponent(a1, 0.5, 1, &tip, hb);
    ASSERT_NE(hb, nullptr);
    ASSERT_NE(ht, nullptr);
    EXPECT_EQ(c->AddAnimationComponent(7, 0, 1, &tip), nullptr);
    EXPECT_EQ(c->AddAnimationComponent(a1, 0, 1, &tip, reinterpret_cast<ANIMATIONCOMPONENT_HANDLE>(0x1234)), nullptr);
    const hostsim::Animation& anim1 = v(c->GetHandle()).animations[a1];
    ASSERT_EQ(anim1.components.size(), 1u);
    EXPECT_EQ(anim1.components.front()->parent->transform, &base);
    EXPECT_DOUBLE_EQ(anim1.components.front()->state0, 0.5);
    EXPECT_DOUBLE_EQ(v(c->GetHandle()).animations[a0].state, 0.25);

    EXPECT_TRUE(c->SetAnimation(a1, 0.75));
    EXPECT_DOUBLE_EQ(c->GetAnimation(a1), 0.75);
    EXPECT_FALSE(c->SetAnimation(9, 0.5));

    // Deleting the parent takes the child in the other animation with it.
    EXPECT_TRUE(c->DelAnimationComponent(a0, hb));
    EXPECT_TRUE(v(c->GetHandle()).animations[a1].components.empty());
    EXPECT_FALSE(c->DelAnimationComponent(a1, ht));  // stale
    EXPECT_TRUE(c->DelAnimation(a0));
    EXPECT_EQ(c->CreateAnimation(0), 2u);
    EXPECT_EQ(v(c->GetHandle()).animations.size(), 3u);
}

TEST_F(HostVessel, a_deleted_animation_keeps_its_index_but_none_of_its_components) {
    VESSEL* c = crate("C");
    static UINT grp[1] = {0};
    MGROUP_ROTATE turn(0, grp, 1, _V(0, 0, 0), _V(1, 0, 0), 1.0f);
    const UINT anim = c->CreateAnimation(0);
    for (int i = 0; i < 100; ++i) c->AddAnimationComponent(anim, 0, 1, &turn);
    EXPECT_TRUE(c->DelAnimation(anim));
    EXPECT_TRUE(v(c->GetHandle()).animations.at(anim).components.empty());
    EXPECT_TRUE(c->SetAnimation(anim, 0.5));
}

TEST_F(HostVessel, undock_releases_ports_and_tells_both_sides) {
    VESSEL* a = crate("A");
    VESSEL* b = crate("B");
    DOCKHANDLE a0 = a->CreateDock(_V(0, 0, 1), _V(0, 0, 1), _V(0, 1, 0));
    a->CreateDock(_V(0, 0, -1), _V(0, 0, -1), _V(0, 1, 0));
    b->CreateDock(_V(0, 0, 1), _V(0, 0, 1), _V(0, 1, 0));
    ASSERT_TRUE(host().dock(a->GetHandle(), 0, b->GetHandle(), 0));
    EXPECT_FALSE(host().dock(a->GetHandle(), 0, b->GetHandle(), 0));  // occupied
    EXPECT_EQ(a->GetDockStatus(a0), b->GetHandle());
    EXPECT_FALSE(a->Undock(ALLDOCKS, b->GetHandle()));  // the only mate is excluded
    EXPECT_EQ(a->GetDockStatus(a0), b->GetHandle());
    EXPECT_TRUE(a->Undock(ALLDOCKS));
    EXPECT_EQ(a->GetDockStatus(a0), nullptr);
    EXPECT_EQ(b->GetDockStatus(b->GetDockHandle(0)), nullptr);

    ASSERT_TRUE(host().dock(a->GetHandle(), 1, b->GetHandle(), 0));
    EXPECT_TRUE(a->DelDock(a->GetDockHandle(1)));  // undocks first
    EXPECT_EQ(b->GetDockStatus(b->GetDockHandle(0)), nullptr);
    EXPECT_EQ(a->DockCount(), 1u);
    EXPECT_FALSE(a->DelDock(a->GetDockHandle(1)));
    EXPECT_FALSE(b->DelDock(a0));  // not b's port

    // Either side undocks after its ports were mated and freed several times.
    ASSERT_TRUE(host().dock(a->GetHandle(), 0, b->GetHandle(), 0));
    EXPECT_TRUE(b->Undock(ALLDOCKS));
    EXPECT_FALSE(a->Undock(ALLDOCKS));
}

TEST_F(HostVessel, attachment_points_are_listed_by_kind_and_ids_keep_seven_characters) {
    VESSEL* a = crate("A");
    ATTACHMENTHANDLE p0 = a->CreateAttachment(true, _V(0, 0, 0), _V(0, 1, 0), _V(0, 0, 1), "GS");
    ATTACHMENTHANDLE c0 = a->CreateAttachment(false, _V(1, 0, 0), _V(0, 1, 0), _V(1, 0, 0), "PALLETLONGID");
    ATTACHMENTHANDLE p1 = a->CreateAttachment(true, _V(0, 0, 0), _V(0, -1, 0), _V(0, 0, 1), "XS");
    EXPECT_EQ(a->AttachmentCount(true), 2u);
    EXPECT_EQ(a->AttachmentCount(false), 1u);
    EXPECT_EQ(a->GetAttachmentHandle(true, 1), p1);
    EXPECT_EQ(a->GetAttachmentHandle(false, 0), c0);
    EXPECT_EQ(a->GetAttachmentHandle(false, 1), nullptr);
    EXPECT_STREQ(a->GetAttachmentId(c0), "PALLETL");
    EXPECT_TRUE(a->DelAttachment(p0));
    EXPECT_EQ(a->GetAttachmentIndex(p1), 0u);  // later indices shift
    EXPECT_FALSE(a->DelAttachment(p0));
    VECTOR3 pos, dir, rot;
    a->SetAttachmentParams(c0, _V(2, 0, 0), _V(0, 0, 1), _V(0, 1, 0));
    a->GetAttachmentParams(c0, pos, dir, rot);
    expectNear(pos, _V(2, 0, 0));
    expectNear(dir, _V(0, 0, 1));
    expectNear(rot, _V(0, 1, 0));
}

TEST_F(HostVessel, an_attached_child_is_placed_at_the_point_and_follows_it) {
    VESSEL* parent = crate("P");
    VESSEL* child = crate("C");
    host().setPose(parent->GetHandle(), _V(100, 0, 0), hostsim::Host::rotationFromAngles(_V(0, 0, 90)));
    ATTACHMENTHANDLE pallet = parent->CreateAttachment(false, _V(1, 0, 0), _V(0, 1, 0), _V(1, 0, 0), "P");
    ATTACHMENTHANDLE hook = child->CreateAttachment(true, _V(0, 0, 2), _V(0, 0, 1), _V(0, 1, 0), "H");
    ASSERT_TRUE(parent->AttachChild(child->GetHandle(), pallet, hook));
    EXPECT_EQ(parent->GetAttachmentStatus(pallet), child->GetHandle());
    EXPECT_EQ(child->GetAttachmentStatus(hook), parent->GetHandle());

    // The child's point stands on the parent's point, facing it, rotation vectors parallel.
    VECTOR3 pointGlobal, childPointGlobal;
    parent->Local2Global(_V(1, 0, 0), pointGlobal);
    child->Local2Global(_V(0, 0, 2), childPointGlobal);
    expectNear(childPointGlobal, pointGlobal);
    const MATRIX3& pr = v(parent->GetHandle()).rot;
    const MATRIX3& cr = v(child->GetHandle()).rot;
    expectNear(mul(cr, _V(0, 0, 1)), -mul(pr, _V(0, 1, 0)));
    expectNear(mul(cr, _V(0, 1, 0)), mul(pr, _V(1, 0, 0)));

    // Moving the point moves the child.
    parent->SetAttachmentParams(pallet, _V(0, 0, 5), _V(0, 1, 0), _V(1, 0, 0));
    parent->Local2Global(_V(0, 0, 5), pointGlobal);
    child->Local2Global(_V(0, 0, 2), childPointGlobal);
    expectNear(childPointGlobal, pointGlobal);

    // Detaching keeps the position and adds the push along the point's direction.
    VECTOR3 before = v(child->GetHandle()).pos;
    EXPECT_TRUE(parent->DetachChild(pallet, 2.0));
    EXPECT_FALSE(parent->DetachChild(pallet, 0.0));
    expectNear(v(child->GetHandle()).pos, before);
    expectNear(v(child->GetHandle()).vel, mul(pr, _V(0, 2, 0)));
}

TEST_F(HostVessel, AttachChild_refuses_wrong_kinds_occupied_points_and_cycles) {
    VESSEL* a = crate("A");
    VESSEL* b = crate("B");
    VESSEL* c = crate("C");
    ATTACHMENTHANDLE aSlot = a->CreateAttachment(false, _V(0, 0, 0), _V(0, 1, 0), _V(1, 0, 0), "S");
    ATTACHMENTHANDLE aSlot2 = a->CreateAttachment(false, _V(0, 0, 3), _V(0, 1, 0), _V(1, 0, 0), "S");
    ATTACHMENTHANDLE aHook = a->CreateAttachment(true, _V(0, 0, 0), _V(0, 1, 0), _V(1, 0, 0), "H");
    ATTACHMENTHANDLE bSlot = b->CreateAttachment(false, _V(0, 0, 0), _V(0, 1, 0), _V(1, 0, 0), "S");
    ATTACHMENTHANDLE bHook = b->CreateAttachment(true, _V(0, 0, 0), _V(0, 1, 0), _V(1, 0, 0), "H");
    ATTACHMENTHANDLE cHook = c->CreateAttachment(true, _V(0, 0, 0), _V(0, 1, 0), _V(1, 0, 0), "H");

    EXPECT_FALSE(a->AttachChild(b->GetHandle(), aSlot, nullptr));
    EXPECT_FALSE(a->AttachChild(b->GetHandle(), aHook, bHook));  // own point of the wrong kind
    EXPECT_FALSE(a->AttachChild(b->GetHandle(), aSlot, bSlot));  // child point of the wrong kind
    EXPECT_FALSE(a->AttachChild(a->GetHandle(), aSlot, aHook));
    EXPECT_FALSE(a->AttachChild(nullptr, aSlot, bHook));
    ASSERT_TRUE(a->AttachChild(b->GetHandle(), aSlot, bHook));
    EXPECT_FALSE(a->AttachChild(c->GetHandle(), aSlot, cHook));  // occupied
    EXPECT_FALSE(b->AttachChild(a->GetHandle(), bSlot, aHook));  // a is b's parent
    // A child that already hangs elsewhere is moved.
    ASSERT_TRUE(a->AttachChild(b->GetHandle(), aSlot2, bHook));
    EXPECT_EQ(a->GetAttachmentStatus(aSlot), nullptr);
    EXPECT_EQ(a->GetAttachmentStatus(aSlot2), b->GetHandle());
}

TEST_F(HostVessel, a_vessel_reports_only_its_own_attached_points) {
    VESSEL* p = crate("P");
    VESSEL* c = crate("C");
    VESSEL* g = crate("G");
    ATTACHMENTHANDLE pSlot = p->CreateAttachment(false, _V(0, 0, 0), _V(0, 1, 0), _V(1, 0, 0), "S");
    ATTACHMENTHANDLE cHook = c->CreateAttachment(true, _V(0, 0, 0), _V(0, 1, 0), _V(1, 0, 0), "H");
    ATTACHMENTHANDLE cHook2 = c->CreateAttachment(true, _V(0, 0, 1), _V(0, 1, 0), _V(1, 0, 0), "H");
    ATTACHMENTHANDLE cSlot = c->CreateAttachment(false, _V(0, 0, 2), _V(0, 1, 0), _V(1, 0, 0), "S");
    ATTACHMENTHANDLE gHook = g->CreateAttachment(true, _V(0, 0, 0), _V(0, 1, 0), _V(1, 0, 0), "H");
    ASSERT_TRUE(p->AttachChild(c->GetHandle(), pSlot, cHook));
    const auto status = [](VESSEL* v, ATTACHMENTHANDLE a) { return v->GetAttachmentStatus(a); };
    EXPECT_EQ(status(c, cHook), p->GetHandle());
    for (ATTACHMENTHANDLE other : {cHook2, cSlot, pSlot, gHook}) EXPECT_EQ(status(c, other), nullptr);
    EXPECT_EQ(status(p, cHook), nullptr);  // attached, but not p's point
    ASSERT_TRUE(c->AttachChild(g->GetHandle(), cSlot, gHook));
    EXPECT_EQ(status(c, cSlot), g->GetHandle());
    EXPECT_EQ(status(c, cHook), p->GetHandle());
    for (ATTACHMENTHANDLE other : {cHook2, pSlot, gHook}) EXPECT_EQ(status(c, other), nullptr);
    EXPECT_EQ(status(g, gHook), c->GetHandle());
    EXPECT_EQ(status(g, cSlot), nullptr);
}

TEST_F(HostVessel, global_and_local_frames_invert_each_other) {
    VESSEL* a = crate("A");
    host().setPose(a->GetHandle(), _V(10, -5, 2), hostsim::Host::rotationFromAngles(_V(30, -20, 75)));
    VECTOR3 local = _V(1.5, -2, 0.25), global, back;
    a->Local2Global(local, global);
    a->Global2Local(global, back);
    expectNear(back, local);
    VECTOR3 origin;
    a->Global2Local(_V(10, -5, 2), origin);
    expectNear(origin, _V(0, 0, 0));
    VECTOR3 angles = hostsim::Host::anglesFromRotation(hostsim::Host::rotationFromAngles(_V(30, -20, 75)));
    expectNear(angles, _V(30, -20, 75), 1e-9);
}

TEST_F(HostVessel, free_vessels_move_by_their_velocities_and_children_follow) {
    VESSEL* a = crate("A");
    VESSEL* b = crate("B");
    ATTACHMENTHANDLE slot = a->CreateAttachment(false, _V(0, 0, 4), _V(0, 1, 0), _V(1, 0, 0), "S");
    ATTACHMENTHANDLE hook = b->CreateAttachment(true, _V(0, 0, 0), _V(0, -1, 0), _V(1, 0, 0), "H");
    ASSERT_TRUE(a->AttachChild(b->GetHandle(), slot, hook));
    v(a->GetHandle()).vel = _V(1, 0, 0);
    v(a->GetHandle()).angVel = _V(0, 0, 90);  // degrees per second about z
    host().step(1.0);
    expectNear(v(a->GetHandle()).pos, _V(1, 0, 0));
    expectNear(mul(v(a->GetHandle()).rot, _V(1, 0, 0)), _V(0, 1, 0));
    VECTOR3 slotGlobal;
    a->Local2Global(_V(0, 0, 4), slotGlobal);
    expectNear(v(b->GetHandle()).pos, slotGlobal);
    EXPECT_DOUBLE_EQ(host().simTime(), 1.0);
}

// A hanging vessel's pose is worked out when it is read, so every way of reading it,
// and letting it go unread, must see where its point stands now.
TEST_F(HostVessel, a_chain_of_hanging_vessels_is_where_its_points_say_however_it_is_read) {
    VESSEL* root = crate("Root");
    VESSEL* mid = crate("Mid");
    VESSEL* tip = crate("Tip");
    ATTACHMENTHANDLE rootSlot = root->CreateAttachment(false, _V(0, 0, 4), _V(0, 1, 0), _V(1, 0, 0), "S");
    ATTACHMENTHANDLE midHook = mid->CreateAttachment(true, _V(0, 0, 0), _V(0, -1, 0), _V(1, 0, 0), "H");
    ATTACHMENTHANDLE midSlot = mid->CreateAttachment(false, _V(2, 0, 0), _V(1, 0, 0), _V(0, 1, 0), "S");
    ATTACHMENTHANDLE tipHook = tip->CreateAttachment(true, _V(0, 1, 0), _V(0, 0, 1), _V(1, 0, 0), "H");
    ASSERT_TRUE(root->AttachChild(mid->GetHandle(), rootSlot, midHook));
    ASSERT_TRUE(mid->AttachChild(tip->GetHandle(), midSlot, tipHook));
    v(root->GetHandle()).vel = _V(3, 0, 0);
    v(root->GetHandle()).angVel = _V(10, 20, 30);

    auto expectTipOnItsSlot = [&](const char* when) {
        VECTOR3 slot, hook;
        mid->Local2Global(_V(2, 0, 0), slot);
        tip->Local2Global(_V(0, 1, 0), hook);
        EXPECT_NEAR(hook.x - slot.x, 0, kTol) << when;
        EXPECT_NEAR(hook.y - slot.y, 0, kTol) << when;
        EXPECT_NEAR(hook.z - slot.z, 0, kTol) << when;
    };
    for (int i = 0; i < 3; ++i) {
        host().step(0.5);
        root->SetAttachmentParams(rootSlot, _V(0, i, 4), _V(0, 1, 0), _V(1, 0, 0));
        mid->SetAttachmentParams(midHook, _V(0, 0, i), _V(0, -1, 0), _V(1, 0, 0));
    }
    expectTipOnItsSlot("read through the modules");

    // The records the host hands out, and a save, have the same poses.
    host().step(0.5);
    const std::string saved = host().saveScenarioText();
    const VECTOR3 tipPos = v(tip->GetHandle()).pos;
    expectTipOnItsSlot("after the save");
    host().reset();
    host().setRoot(HOSTSIM_TEST_ROOT);
    ASSERT_EQ(host().loadScenarioText(saved), "");
    expectNear(v(host().vesselByName("Tip")->handle).pos, tipPos, 1e-6);

    // Let go unread, a vessel flies on from where its point stood last.
    VESSEL* carrier = crate("Carrier");
    VESSEL* load = crate("Load");
    ATTACHMENTHANDLE pallet = carrier->CreateAttachment(false, _V(0, 0, 0), _V(0, 1, 0), _V(1, 0, 0), "P");
    ATTACHMENTHANDLE grip = load->CreateAttachment(true, _V(0, 0, 0), _V(0, -1, 0), _V(1, 0, 0), "G");
    ASSERT_TRUE(carrier->AttachChild(load->GetHandle(), pallet, grip));
    host().step(1.0);  // the host now knows the load as hanging
    carrier->SetAttachmentParams(pallet, _V(7, 0, 0), _V(0, 1, 0), _V(1, 0, 0));
    ASSERT_TRUE(carrier->DetachChild(pallet, 2.0));
    VECTOR3 palletGlobal;
    carrier->Local2Global(_V(7, 0, 0), palletGlobal);
    expectNear(v(load->GetHandle()).pos, palletGlobal);
    // Let go, or made after the run began, a vessel moves with its own velocity.
    OBJHANDLE late = make("Late", "Crate", {"RVEL 1 0 0"});
    host().step(1.0);
    expectNear(v(load->GetHandle()).pos, palletGlobal + mul(v(carrier->GetHandle()).rot, _V(0, 2, 0)));
    EXPECT_DOUBLE_EQ(v(late).pos.x, 1.0);
}

TEST_F(HostVessel, destroying_a_parent_frees_its_children) {
    VESSEL* a = crate("A");
    VESSEL* b = crate("B");
    ATTACHMENTHANDLE slot = a->CreateAttachment(false, _V(0, 0, 4), _V(0, 1, 0), _V(1, 0, 0), "S");
    ATTACHMENTHANDLE hook = b->CreateAttachment(true, _V(0, 0, 0), _V(0, -1, 0), _V(1, 0, 0), "H");
    ASSERT_TRUE(a->AttachChild(b->GetHandle(), slot, hook));
    host().destroyVessel(a->GetHandle());
    EXPECT_EQ(b->GetAttachmentStatus(hook), nullptr);
    EXPECT_EQ(v(b->GetHandle()).attachedTo(), nullptr);
}

}  // namespace

namespace {

// Motions that would leave the range of numbers are not made: nothing that is not a
// number reaches a save, and the save loads again.
TEST_F(HostVessel, a_motion_beyond_the_range_of_numbers_holds_the_last_pose) {
    OBJHANDLE fast = make("Fast", "Crate", {"RPOS 1e308 0 0", "RVEL 1e308 0 0"});
    OBJHANDLE spin = make("Spin", "Crate", {"VROT 1e308 -1e308 1e308"});
    for (int i = 0; i < 3; ++i) host().step(10);
    EXPECT_EQ(v(fast).pos.x, 1e308);
    EXPECT_EQ(host().takeWarnings(),
              std::vector<std::string>{"Fast holds its last pose: its motion would leave the range of numbers"});
    std::string saved = host().saveScenarioText();
    EXPECT_EQ(saved.find("nan"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("inf"), std::string::npos) << saved;
    for (double x : v(spin).rot.data) EXPECT_TRUE(std::isfinite(x));
    host().reset();
    host().setRoot(HOSTSIM_TEST_ROOT);
    EXPECT_EQ(host().loadScenarioText(saved), "");
    EXPECT_EQ(host().saveScenarioText(), saved);
}

// Time is a count of steps, and the date follows from it: no sum drifts.
TEST_F(HostVessel, time_and_date_count_steps_instead_of_summing_them) {
    host().setMjd(60000);
    for (int i = 0; i < 1000000; ++i) host().step(0.01);
    EXPECT_EQ(host().simTime(), 10000.0);
    EXPECT_DOUBLE_EQ(host().mjd(), 60000 + 10000.0 / 86400);
    host().step(0.5);  // another length starts its own count
    EXPECT_EQ(host().simTime(), 10000.5);
}

}  // namespace
