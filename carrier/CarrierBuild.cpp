// The carrier's layout: meshes, docks, grapple, carrier and pallet points, the turn
// animation and the empty mass, built once after loading and rebuilt for another
// segment count. The creation order fixes the host's mesh and attachment indices.
#include <cmath>
#include <numbers>

#include "CarrierLayout.h"
#include "Haulbed.h"

using namespace carrier;

namespace {

constexpr const char* kNearBaseMesh = "Truss\\Carriers\\HaulbedBase1";
constexpr const char* kSegmentMesh = "Truss\\Carriers\\HaulbedSegment";
constexpr const char* kFarBaseMesh = "Truss\\Carriers\\HaulbedBase2";
constexpr const char* kTrunnionMesh = "Truss\\Carriers\\Trunnions";

constexpr const char* kCarrierPointId = "XS";
constexpr const char* kGrapplePointId = "GS";
constexpr const char* kPalletPointId = "PALLET";

// One segment's turn is a full turn of its turning groups over the state range 0..1.
const float kTurnComponentAngle = static_cast<float>(2.0 * std::numbers::pi);

struct PointPose {
    VECTOR3 pos, dir, rot;
};

// The pallet points of one segment at turn angle 0, in corner order; z is the
// segment's own. Metres, unit vectors.
const PointPose kPalletCorners[kPalletsPerSegment] = {
    {_V(-0.75, 0.04, 0), _V(0, 1, 0), _V(1, 0, 0)},
    {_V(0.75, 0.04, 0), _V(0, 1, 0), _V(-1, 0, 0)},
    {_V(-0.75, -0.04, 0), _V(0, -1, 0), _V(1, 0, 0)},
    {_V(0.75, -0.04, 0), _V(0, -1, 0), _V(-1, 0, 0)},
};

// The four grapple points, in creation order: a pair above and below the axis just
// beyond each end. All point along +y, also the pair on the -y side.
struct GrapplePlace {
    double y;     // m
    bool farEnd;  // beyond the far base rather than the near one
};
const GrapplePlace kGrapplePlaces[4] = {
    {kGrappleHeight, false},
    {-kGrappleHeight, false},
    {kGrappleHeight, true},
    {-kGrappleHeight, true},
};
const VECTOR3 kGrappleDir = _V(0, 1, 0);
const VECTOR3 kGrappleRot = _V(0, 0, 1);

const VECTOR3 kCarrierPointDir = _V(0, -1, 0);
const VECTOR3 kCarrierPointRot = _V(0, 0, -1);

const VECTOR3 kDockRot = _V(0, 1, 0);

VECTOR3 GrapplePosition(const GrapplePlace& place, double length) {
    return _V(0, place.y, place.farEnd ? length + kEndFittingOffset : -kEndFittingOffset);
}

VECTOR3 FarDockPosition(double length) { return _V(0, 0, length + kDockOffset); }

}  // namespace

void Haulbed::BuildCarrier() {
    if (built) return;
    const double length = CarrierLength(segmentCount);

    const VECTOR3 origin = _V(0, 0, 0);
    AddMesh(kNearBaseMesh, &origin);
    AddSegmentMeshes(segmentCount);
    const VECTOR3 farBaseOffset = _V(0, 0, length);
    farBaseMesh = AddMesh(kFarBaseMesh, &farBaseOffset);

    nearDock = CreateDock(_V(0, 0, -kDockOffset), _V(0, 0, -1), kDockRot);
    farDock = CreateDock(FarDockPosition(length), _V(0, 0, 1), kDockRot);

    carrierPoint = CreateAttachment(true, payloadOffset, kCarrierPointDir, kCarrierPointRot, kCarrierPointId, false);
    for (std::size_t i = 0; i < grapplePoints.size(); ++i)
        grapplePoints[i] =
            CreateAttachment(true, GrapplePosition(kGrapplePlaces[i], length), kGrappleDir, kGrappleRot, kGrapplePointId, false);

    if (trunnionsShown) {
        trunnionsShown = false;  // AddTrunnions sets it once the meshes exist
        AddTrunnions(length);
    }

    turnAnimation = CreateAnimation(kTurnStart);
    AddTurnComponents();

    CreatePalletPoints(segmentCount);

    SetEmptyMass(EmptyMass(segmentCount));
    built = true;
}

void Haulbed::SetSegmentCount(unsigned count, bool showTrunnions) {
    if (!built) return;
    const std::uint32_t newCount = ClampSegmentCount(count);
    const double newLength = CarrierLength(newCount);
    const VECTOR3 shift = _V(0, 0, newLength - CarrierLength(segmentCount));

    ShiftMesh(farBaseMesh, shift);

    // The old transforms leave the animation before their meshes go, so that the
    // host never keeps a transform that is freed here, whatever it does on DelMesh.
    RemoveTurnComponents();
    for (UINT mesh : segmentMeshes) DelMesh(mesh, false);
    segmentMeshes.clear();
    AddSegmentMeshes(newCount);

    if (showTrunnions && trunnionsShown)
        ShiftMesh(farTrunnionMesh, shift);
    else if (showTrunnions)
        AddTrunnions(newLength);
    else if (trunnionsShown)
        RemoveTrunnions();

    SetDockParams(farDock, FarDockPosition(newLength), _V(0, 0, 1), kDockRot);
    for (std::size_t i = 0; i < grapplePoints.size(); ++i) {
        if (kGrapplePlaces[i].farEnd)
            SetAttachmentParams(grapplePoints[i], GrapplePosition(kGrapplePlaces[i], newLength), kGrappleDir, kGrappleRot);
    }

    AddTurnComponents();

    // The pallet points are made anew for the new segments; their payloads fly free.
    DeletePalletPoints();
    CreatePalletPoints(newCount);

    SetEmptyMass(EmptyMass(newCount));
    segmentCount = newCount;
}

void Haulbed::ShowTrunnions(bool show) {
    if (!built) return;
    if (show && !trunnionsShown)
        AddTrunnions(CarrierLength(segmentCount));
    else if (!show && trunnionsShown)
        RemoveTrunnions();
}

void Haulbed::SetPayloadOffset(double x, double y, double z) {
    if (!built) return;
    payloadOffset = _V(x, y, z);
    SetAttachmentParams(carrierPoint, payloadOffset, kCarrierPointDir, kCarrierPointRot);
}

void Haulbed::AddSegmentMeshes(std::uint32_t count) {
    segmentMeshes.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const VECTOR3 offset = _V(0, 0, kSegmentPitch * i);
        segmentMeshes.push_back(AddMesh(kSegmentMesh, &offset));
    }
}

void Haulbed::AddTrunnions(double length) {
    const VECTOR3 nearOffset = _V(0, 0, -kEndFittingOffset);
    const VECTOR3 farOffset = _V(0, 0, length + kEndFittingOffset);
    nearTrunnionMesh = AddMesh(kTrunnionMesh, &nearOffset);
    farTrunnionMesh = AddMesh(kTrunnionMesh, &farOffset);
    trunnionsShown = true;
}

void Haulbed::RemoveTrunnions() {
    DelMesh(nearTrunnionMesh, false);
    DelMesh(farTrunnionMesh, false);
    trunnionsShown = false;
}

// One turn component per segment mesh, in segment order.
void Haulbed::AddTurnComponents() {
    turnComponents.reserve(segmentMeshes.size());
    for (UINT mesh : segmentMeshes) {
        TurnComponent component;
        component.transform = std::make_unique<MGROUP_ROTATE>(mesh, turnGroups.data(), UINT(turnGroups.size()),
                                                              _V(0, 0, 0), _V(0, 0, 1), kTurnComponentAngle);
        component.handle = AddAnimationComponent(turnAnimation, kTurnStart, kTurnFull, component.transform.get());
        turnComponents.push_back(std::move(component));
    }
}

void Haulbed::RemoveTurnComponents() {
    for (TurnComponent& component : turnComponents) DelAnimationComponent(turnAnimation, component.handle);
    turnComponents.clear();
}

// New points stand at the turn angle already applied, in step with the segment
// groups that the animation has turned.
void Haulbed::CreatePalletPoints(std::uint32_t count) {
    const double cosAngle = std::cos(appliedTurnAngle);
    const double sinAngle = std::sin(appliedTurnAngle);
    palletPoints.reserve(std::size_t(count) * kPalletsPerSegment);
    for (std::uint32_t segment = 0; segment < count; ++segment) {
        const VECTOR3 segmentOffset = _V(0, 0, kSegmentPitch * segment);
        for (const PointPose& corner : kPalletCorners) {
            palletPoints.push_back(CreateAttachment(false, TurnAboutZ(corner.pos + segmentOffset, cosAngle, sinAngle),
                                                    TurnAboutZ(corner.dir, cosAngle, sinAngle),
                                                    TurnAboutZ(corner.rot, cosAngle, sinAngle), kPalletPointId, false));
        }
    }
}

void Haulbed::DeletePalletPoints() {
    for (std::size_t k = 0; k < palletPoints.size(); ++k) {
        if (PalletOccupied(k)) ReleasePayload(k);
        DelAttachment(palletPoints[k]);
    }
    palletPoints.clear();
}
