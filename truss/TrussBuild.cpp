// The type catalogue, and the operations that make a segment one of its types, take
// that type down again, and show the base segment's trunnions.
#include <algorithm>
#include <iterator>
#include <span>

#include "Truss.h"
#include "TrussConstants.h"

using namespace truss;

namespace {

struct PortPose {
    VECTOR3 pos, dir, rot;
};

struct PointPose {
    VECTOR3 pos, dir;
};

// Every attachment point of a segment hangs it from a parent with this rotation.
const VECTOR3 kPointRotation = _V(0, 0, 1);

// The base segment's payload point ("XS") faces down; its position is configurable.
const VECTOR3 kPayloadPointDirection = _V(0, -1, 0);

// Grapple points ("GS") of each type, in creation order.
const PointPose kBaseGrapplePoints[] = {
    {_V(0, 1.754091, 0), _V(0, 1, 0)},
    {_V(0, -1.754091, 0), _V(0, -1, 0)},
};
const PointPose k6mGrapplePoints[] = {
    {_V(0, 1.03523, 0), _V(0, 1, 0)},
    {_V(0, -1.03523, 0), _V(0, -1, 0)},
};
const PointPose k12mGrapplePoints[] = {
    {_V(-3, -1.03523, 0), _V(0, -1, 0)},
    {_V(3, -1.03523, 0), _V(0, -1, 0)},
    {_V(-3, 1.03523, 0), _V(0, 1, 0)},
    {_V(3, 1.03523, 0), _V(0, 1, 0)},
};
const PointPose k18mGrapplePoints[] = {
    {_V(0, -1.03523, 0), _V(0, -1, 0)},
    {_V(5.82, -1.03523, 0), _V(0, -1, 0)},
    {_V(-5.82, -1.03523, 0), _V(0, -1, 0)},
    {_V(0, 1.03523, 0), _V(0, 1, 0)},
    {_V(5.82, 1.03523, 0), _V(0, 1, 0)},
    {_V(-5.82, 1.03523, 0), _V(0, 1, 0)},
};
const PointPose kRadiatorGrapplePoints[] = {
    {_V(0, 1.754091, 0), _V(0, 1, 0)},
    {_V(0, -1.754091, 0), _V(0, -1, 0)},
};
// Moved with the base rotation every step.
const PointPose kSolarGrapplePoints[] = {
    {_V(0, kSolarGrappleRadius, 0), _V(0, 1, 0)},
};

struct SegmentType {
    int code;
    const char* mesh;
    double emptyMass;  // kg
    int length;        // m between the end ports; 0 for the base segment, which has none
    std::span<const PointPose> grapplePoints;
};

const SegmentType kCatalogue[] = {
    {kBaseSegment, "Truss\\Base2", 3500, 0, kBaseGrapplePoints},
    {kStraight6, "Truss\\truss6m", 3000, 6, k6mGrapplePoints},
    {kStraight12, "Truss\\truss12m", 5500, 12, k12mGrapplePoints},
    {kStraight18, "Truss\\truss18m", 7900, 18, k18mGrapplePoints},
    {kRadiatorSegment, "Truss\\RadiatorTruss", 2500, 6, kRadiatorGrapplePoints},
    {kSolarSegment, "Truss\\SolarTruss", 3000, 6, kSolarGrapplePoints},
};

static_assert((std::max)({std::size(kBaseGrapplePoints), std::size(k6mGrapplePoints), std::size(k12mGrapplePoints),
                        std::size(k18mGrapplePoints), std::size(kRadiatorGrapplePoints),
                        std::size(kSolarGrapplePoints)}) <= Truss::kMaxGrapplePoints);

constexpr const char* kTrunnionMesh = "Truss\\BaseTrunnions";

// Any code outside the catalogue is taken as the 6 m segment.
const SegmentType& CatalogueEntry(int code) {
    for (const SegmentType& entry : kCatalogue)
        if (entry.code == code) return entry;
    return CatalogueEntry(kStraight6);
}

const PortPose kBasePorts[] = {
    {_V(1.875, 0, 0), _V(1, 0, 0), _V(0, 1, 0)},
    {_V(-1.875, 0, 0), _V(-1, 0, 0), _V(0, 1, 0)},
    {_V(0, 0, 3.1), _V(0, 0, 1), _V(0, 1, 0)},
    {_V(0, 0, -3.1), _V(0, 0, -1), _V(0, 1, 0)},
};

// Bay ports, one per face; the bay gives x.
const PortPose kBayFaces[Truss::kFaces] = {
    {_V(0, 0.916735, 0.654291), _V(0, 0.5, 0.866025), _V(1, 0, 0)},
    {_V(0, -0.916735, 0.654291), _V(0, -0.5, 0.866025), _V(-1, 0, 0)},
    {_V(0, 0.916735, -0.654291), _V(0, 0.5, -0.866025), _V(-1, 0, 0)},
    {_V(0, -0.916735, -0.654291), _V(0, -0.5, -0.866025), _V(1, 0, 0)},
};

// Radiator ports, one per face at each station; the station gives x. All four share
// one rotation, unlike the bay ports.
const PortPose kRadiatorFaces[] = {
    {_V(0, 0.478262, 0.822896), _V(0, 0.5, 0.866025), _V(-1, 0, 0)},
    {_V(0, -0.478262, 0.822896), _V(0, -0.5, 0.866025), _V(-1, 0, 0)},
    {_V(0, 0.478262, -0.822896), _V(0, 0.5, -0.866025), _V(-1, 0, 0)},
    {_V(0, -0.478262, -0.822896), _V(0, -0.5, -0.866025), _V(-1, 0, 0)},
};
constexpr int kRadiatorStations = 3;
constexpr double kRadiatorStationPitch = 1.94;  // m

// Radiator station k lies at x = 1.94 k - 1.94 (-1.94, 0, 1.94).
double RadiatorStationX(int k) { return kRadiatorStationPitch * k - kRadiatorStationPitch; }

bool IsStraight(int code) { return code == kStraight6 || code == kStraight12 || code == kStraight18; }

// A straight segment has two bays of 1.5 m per 3 m of length: 4, 8 or 12.
int BayCount(int code) { return code / 3 * 2; }

// Bay i lies at x = 0.75 - 0.5 L + 1.5 i (for 6 m: -2.25, -0.75, 0.75, 2.25).
double BayX(int code, int bay) { return 0.75 - 0.5 * code + 1.5 * bay; }

VECTOR3 AtX(VECTOR3 v, double x) {
    v.x = x;
    return v;
}

}  // namespace

void Truss::BuildType(int typeCode) {
    Undock(ALLDOCKS);
    const SegmentType& entry = CatalogueEntry(typeCode);
    type = entry.code;

    switch (type) {
    case kBaseSegment:
        CreateBaseDocks();
        mainMesh = AddMesh(entry.mesh);
        if (stsTrunnions) trunnionMesh = AddMesh(kTrunnionMesh);
        break;
    case kRadiatorSegment:
        CreateEndDocks();
        CreateRadiatorDocks();
        mainMesh = AddMesh(entry.mesh);
        DefineRadiatorAnimation();
        SetAnimation(animRadiator, deployState);  // the loaded deployment, shown at once
        break;
    case kSolarSegment:
        CreateEndDocks();
        DefineSolarAnimations();
        mainMesh = AddMesh(entry.mesh);
        // Show the loaded states at once; the trackers start where the gimbal stands.
        boxTarget = boxTracked = boxState;
        SetAnimation(animBox, boxState);
        baseTarget = baseTracked = baseState;
        SetAnimation(animBase, baseState);
        SetAnimation(animDeploy, deployState);
        SetAnimation(animExtend, MastExtension(deployState));
        break;
    default:  // straight segments
        CreateEndDocks();
        CreateBayDocks();
        mainMesh = AddMesh(entry.mesh);
        break;
    }
    SetEmptyMass(entry.emptyMass);
    CreateGrapplePoints();
}

void Truss::TearDown() {
    for (DOCKHANDLE dock : dockList) DelDock(dock);
    dockList.clear();
    plusEndDock = minusEndDock = nullptr;

    for (ATTACHMENTHANDLE point : GrapplePoints()) DelAttachment(point);
    grapplePointCount = 0;
    if (payloadPoint) DelAttachment(payloadPoint);
    payloadPoint = nullptr;

    if (IsStraight(type)) {
        for (int bay = 0; bay < BayCount(type); ++bay)
            for (int face = 0; face < kFaces; ++face)
                if (bayDocks[face][bay]) DelDock(bayDocks[face][bay]);
    }
    bayDocks = {};

    // The simulator must let go of the animations before their transforms are freed.
    DeleteTypeAnimations();

    if (mainMesh) DelMesh(*mainMesh);
    mainMesh.reset();
    // The flag stays, so that building a base segment again shows the trunnions again.
    if (trunnionMesh) DelMesh(*trunnionMesh);
    trunnionMesh.reset();

    ReleaseTransforms();
}

void Truss::ShowTrunnions(bool on) {
    if (type != kBaseSegment || on == stsTrunnions) return;
    if (on) {
        trunnionMesh = AddMesh(kTrunnionMesh);
    } else {
        if (trunnionMesh) DelMesh(*trunnionMesh);
        trunnionMesh.reset();
    }
    stsTrunnions = on;
}

void Truss::CreateEndDocks() {
    // The half length is an integer halving (3, 6 or 9 m).
    const double half = CatalogueEntry(type).length / 2;
    plusEndDock = CreateDock(_V(half, 0, 0), _V(1, 0, 0), _V(0, 1, 0));
    dockList.push_back(plusEndDock);
    minusEndDock = CreateDock(_V(-half, 0, 0), _V(-1, 0, 0), _V(0, 1, 0));
    dockList.push_back(minusEndDock);
}

void Truss::CreateBaseDocks() {
    for (const PortPose& port : kBasePorts) dockList.push_back(CreateDock(port.pos, port.dir, port.rot));
}

void Truss::CreateBayDocks() {
    if (!IsStraight(type)) return;
    for (int bay = 0; bay < BayCount(type); ++bay) {
        const double x = BayX(type, bay);
        for (int face = 0; face < kFaces; ++face) {
            const PortPose& port = kBayFaces[face];
            bayDocks[face][bay] = CreateDock(AtX(port.pos, x), port.dir, port.rot);
        }
    }
}

void Truss::CreateRadiatorDocks() {
    for (int station = 0; station < kRadiatorStations; ++station) {
        const double x = RadiatorStationX(station);
        for (const PortPose& port : kRadiatorFaces) dockList.push_back(CreateDock(AtX(port.pos, x), port.dir, port.rot));
    }
}

void Truss::CreateGrapplePoints() {
    if (type == kBaseSegment)
        payloadPoint = CreateAttachment(true, payloadOffset, kPayloadPointDirection, kPointRotation, "XS", false);
    for (const PointPose& point : CatalogueEntry(type).grapplePoints)
        grapplePoint[grapplePointCount++] = CreateAttachment(true, point.pos, point.dir, kPointRotation, "GS", false);
}

void Truss::ReleaseTransforms() {
    radiatorTransforms.reset();
    solarTransforms.reset();
}
