// The Truss vessel: one segment of a space-station truss.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "Orbitersdk.h"

// A timed motion; the number is what the scenario lines carry.
enum class MotionStatus : std::int32_t {
    Stopped = 0,
    Decreasing = 1,  // the state runs toward 0
    Increasing = 2,  // the state runs toward 1
};

class alignas(64) Truss : public VESSEL3 {
public:
    Truss(OBJHANDLE hVessel, int flightModel);
    // The simulator's vessel classes declare no destructor, so ovcExit destroys the
    // object as a Truss; virtual, so that this would stay sound for a derived class.
    virtual ~Truss();

    // Segments are made one at a time but stepped all together: they are kept side by
    // side in blocks, so that a step over thousands of them walks memory in order.
    // A derived class has another size and lives on the heap.
    static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
    static void operator delete(void* segment, std::size_t size) noexcept;
    static void operator delete(void* segment, const std::nothrow_t&) noexcept;  // a constructor threw

    Truss(const Truss&) = delete;
    Truss& operator=(const Truss&) = delete;

    // Simulator callbacks.
    void clbkSetClassCaps(FILEHANDLE cfg) override;
    void clbkSaveState(FILEHANDLE scn) override;
    void clbkLoadStateEx(FILEHANDLE scn, void* status) override;
    void clbkPreStep(double simt, double simdt, double mjd) override;
    void clbkDockEvent(int dock, OBJHANDLE mate) override;
    int clbkConsumeBufferedKey(DWORD key, bool down, char* kstate) override;
    int clbkGeneric(int msgid, int prm, void* context) override;

    // The editor's operations. They are virtual so that code outside this library
    // reaches them through the object the simulator hands out, without linking to it.

    // Makes the segment the given type (unknown codes make a 6 m segment); a rebuild
    // calls TearDown first.
    virtual void BuildType(int typeCode);
    // Removes the ports, points, meshes, animations and transforms of the current type.
    virtual void TearDown();
    // Shows or removes the base segment's payload-bay trunnions; other types ignore it.
    virtual void ShowTrunnions(bool on);
    // Sets one animation at once and stops its motion: on a solar segment which 0 is
    // the deployment, 1 the base, 2 the box; a radiator segment ignores which.
    virtual void SetAnimationState(int which, double value);

    // Table sizes.
    static constexpr int kFaces = 4;                // bay port faces
    static constexpr int kMaxBays = 12;             // bays of the 18 m segment
    static constexpr int kMaxGrapplePoints = 6;     // of the 18 m segment
    static constexpr int kRadiatorRows = 8;
    static constexpr int kRadiatorPanels = 16;      // panels per radiator row
    static constexpr int kBlanketRows = 4;
    static constexpr int kBlanketPanels = 122;      // panels per blanket
    static constexpr int kMastRows = 2;             // one mast half per side
    static constexpr int kMastGroupSlots = 122;     // group table width
    static constexpr int kMastSegments = 121;       // segments per mast half
    static constexpr int kBaseGroupCount = 9;
    static constexpr int kBoxGroupCount = 2;

private:
    // The scenario editor's page reads the type and the two flags, and sets Sun tracking.
    friend class TrussPage;

    template <typename T, int Rows, int Cols>
    using Table = std::array<std::array<T, Cols>, Rows>;

    // Build: the ports, points and meshes of a type.
    void CreateEndDocks();
    void CreateBaseDocks();
    void CreateBayDocks();
    void CreateRadiatorDocks();
    void CreateGrapplePoints();
    void ReleaseTransforms();

    // Animations of the radiator and solar segments.
    void DefineRadiatorAnimation();
    void DefineSolarAnimations();
    UINT NewTypeAnimation();
    void DeleteTypeAnimations();

    // Scenario lines: true when the line was a truss line.
    bool ReadScenarioLine(std::string_view line);

    // Per-step motions.
    void ReleaseDocksIfGrappled();
    void MoveRadiators(double simdt);
    void MoveArrays(double simdt);
    void TurnByHand(double simdt);
    void TrackSun(double simdt);
    void MoveHome(double simdt);
    void MoveGrapplePoints();

    // What every step reads comes first, so that a step touches few cache lines: the
    // object starts a line, and a segment at rest with up to three grapple points
    // reads only that line, a segment other than the solar one only this first part.
    int type = 6;  // a 6 m segment until the scenario says otherwise
    // The grapple points "GS", held in the object itself, since every step reads them.
    std::uint32_t grapplePointCount = 0;
    // Deployment: radiators on type 61, arrays on type 63.
    MotionStatus deployStatus = MotionStatus::Stopped;
    std::array<ATTACHMENTHANDLE, kMaxGrapplePoints> grapplePoint{};
    std::span<const ATTACHMENTHANDLE> GrapplePoints() const { return {grapplePoint.data(), grapplePointCount}; }
    double deployState = 0;
    UINT animRadiator = 0;
    // Solar gimbal, as fractions of one turn.
    MotionStatus baseStatus = MotionStatus::Stopped;
    MotionStatus boxStatus = MotionStatus::Stopped;
    double baseState = 0, boxState = 0;
    bool sunTracking = false, baseHoming = false, boxHoming = false;
    double baseTarget = 0, boxTarget = 0, baseTracked = 0, boxTracked = 0;
    // Animations of the current type; every one of them is deleted by TearDown.
    UINT animBox = 0, animDeploy = 0, animExtend = 0, animBase = 0;

    // Configuration.
    std::optional<UINT> mainMesh;
    std::optional<UINT> trunnionMesh;
    bool stsTrunnions = false;
    VECTOR3 payloadOffset = _V(0, 0, 0);

    // Ports and points that the current type created.
    std::vector<DOCKHANDLE> dockList;  // end ports, base ports, radiator ports
    DOCKHANDLE plusEndDock = nullptr;
    DOCKHANDLE minusEndDock = nullptr;
    ATTACHMENTHANDLE payloadPoint = nullptr;  // "XS" of the base segment
    ATTACHMENTHANDLE carPoint = nullptr;      // "CAR", left to the simulator
    std::vector<UINT> typeAnimations;

    // Transforms of the current type, owned here and handed to the simulator by pointer:
    // one block per build, so that a build allocates once, not once per panel, and a
    // segment of another type carries none of them.
    struct RadiatorTransforms {
        Table<std::optional<MGROUP_ROTATE>, kRadiatorRows, kRadiatorPanels> panels;
        Table<ANIMATIONCOMPONENT_HANDLE, kRadiatorRows, kRadiatorPanels> components{};
    };
    struct SolarTransforms {
        std::optional<MGROUP_ROTATE> base, box;
        Table<std::optional<MGROUP_ROTATE>, kBlanketRows, kBlanketPanels> blankets;
        std::array<std::optional<MGROUP_TRANSLATE>, kMastRows> tips;
        Table<std::optional<MGROUP_TRANSLATE>, kMastRows, kMastSegments> mast;
    };
    std::unique_ptr<RadiatorTransforms> radiatorTransforms;
    std::unique_ptr<SolarTransforms> solarTransforms;
    Table<DOCKHANDLE, kFaces, kMaxBays> bayDocks{};
};
