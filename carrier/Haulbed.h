// The payload carrier: a near base, a row of carrier segments and a far base along
// the vessel's z axis. Every segment bears four pallet points onto which payload
// vessels are attached; all pallets, with their payloads, swing about the long axis
// in half turns.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "Orbitersdk.h"

// Where the pallet turn is running to. The turn state runs from 0 to 1 for one full
// turn, with stops at 0, 0.5 and 1 (0 and 1 are the same pose).
enum class TurnStatus : std::int32_t {
    Stopped = 0,
    ForwardToHalf = 1,  // up to 0.5
    BackToStart = 2,    // down to 0
    ForwardToFull = 3,  // up to 1
    BackToHalf = 4,     // down to 0.5
};

class Haulbed : public VESSEL3 {
public:
    // Holds defaults only; the carrier is built when its scenario lines are read.
    Haulbed(OBJHANDLE hVessel, int flightModel);
    // The simulator's vessel classes declare no destructor, so ovcExit destroys the
    // object as a Haulbed; virtual, so that this would stay sound for a derived class.
    virtual ~Haulbed();

    Haulbed(const Haulbed&) = delete;
    Haulbed& operator=(const Haulbed&) = delete;

    void clbkSaveState(FILEHANDLE scn) override;
    void clbkLoadStateEx(FILEHANDLE scn, void* status) override;
    void clbkPreStep(double simt, double simdt, double mjd) override;
    int clbkConsumeBufferedKey(DWORD key, bool down, char* kstate) override;

    // The editor's operations. They are virtual so that code outside this library
    // reaches them through the object the host hands out, without linking to it.

    // Rebuilds for `count` segments (clamped to 1 .. the segment limit), showing or
    // hiding the trunnions at the same time. Every payload is released.
    virtual void SetSegmentCount(unsigned count, bool showTrunnions);
    virtual void ShowTrunnions(bool show);
    // Moves the carrier point, by which the carrier hangs in a payload bay.
    virtual void SetPayloadOffset(double x, double y, double z);
    // Attaches `payload` by its parent point `payloadPointIndex` to pallet point
    // `palletIndex`; false if either point does not exist or the host refuses.
    virtual bool AttachPayload(unsigned palletIndex, unsigned payloadPointIndex, OBJHANDLE payload);
    // The vessels on the pallet points, in pallet order.
    virtual std::vector<OBJHANDLE> ListPayloads() const;

    // Creates every mesh, dock, attachment point and the turn animation from the
    // configuration read. Runs once, at the end of loading.
    void BuildCarrier();
    // Whether BuildCarrier has run; the editor's pages leave an unbuilt carrier alone.
    bool IsBuilt() const { return built; }
    // Runs a typed "RELEASE n" or "GRAPPLE name pallet point" command; true if done.
    bool ExecuteCommand(const char* text);

private:
    // The scenario editor's pages read the configuration and the pallet points, and
    // release payloads as the carrier does.
    friend class CarrierConfigPage;
    friend class CarrierPayloadPage;

    // A segment's turn transform, owned here because the host keeps a pointer to it,
    // and the handle under which the host animates it.
    struct TurnComponent {
        std::unique_ptr<MGROUP_ROTATE> transform;
        ANIMATIONCOMPONENT_HANDLE handle = nullptr;
    };

    // Build (CarrierBuild.cpp).
    void AddSegmentMeshes(std::uint32_t count);
    void AddTrunnions(double length);
    void RemoveTrunnions();
    void AddTurnComponents();
    void RemoveTurnComponents();
    void CreatePalletPoints(std::uint32_t count);
    void DeletePalletPoints();

    // Payloads (CarrierPayloads.cpp).
    bool PalletOccupied(std::size_t palletIndex) const;
    bool ReleasePayload(std::size_t palletIndex);

    // Step (CarrierStep.cpp).
    void AdvanceTurn();
    void TurnPallets();
    void ReleaseDocksWhileGrappled();

    // Keys and commands (CarrierCommands.cpp).
    void StartOrStopForward();
    void StartOrStopBackward();
    bool ExecuteRelease(std::string_view arguments);
    bool ExecuteGrapple(std::string_view arguments);

    // Set by BuildCarrier. A carrier that was never built has no handles, and
    // nothing may use the handle fields below until then.
    bool built = false;

    std::uint32_t segmentCount = 1;
    UINT farBaseMesh = 0;
    UINT nearTrunnionMesh = 0;  // valid while trunnionsShown
    UINT farTrunnionMesh = 0;   // valid while trunnionsShown
    std::vector<UINT> segmentMeshes;  // one per segment, in segment order
    DOCKHANDLE nearDock = nullptr;
    DOCKHANDLE farDock = nullptr;
    std::vector<TurnComponent> turnComponents;  // one per segment, in segment order
    // Four per segment, segment by segment, in corner order. The carrier makes no
    // other child points, so position k is also the host's child point index k.
    std::vector<ATTACHMENTHANDLE> palletPoints;
    UINT turnAnimation = 0;
    // The mesh groups of a segment that turn with its pallets; every turn transform
    // points into this array.
    std::array<UINT, 4> turnGroups{0, 1, 2, 3};
    TurnStatus turnStatus = TurnStatus::Stopped;
    double turnState = 0.0;          // 0 .. 1, one full turn
    double turnAngle = 0.0;          // rad, belongs to turnState
    double appliedTurnAngle = 0.0;   // rad, where the pallet points stand now
    VECTOR3 payloadOffset{};         // m, position of the carrier point
    bool trunnionsShown = false;
    double turnStep = 0.0;           // turn-state increment of the current step
    std::array<ATTACHMENTHANDLE, 4> grapplePoints{};  // "GS": near +y, near -y, far +y, far -y
    ATTACHMENTHANDLE carrierPoint = nullptr;          // "XS"
};
