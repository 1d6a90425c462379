// Every mesh the two modules name, built from the layout and the hinge rigs.
#pragma once

#include "Mesh.h"

namespace meshgen {

// Materials shared by the meshes, registered in this order on each.
struct Palette {
    int structure, fitting, dock, radiator, blanket, cassette, mast, gimbal, pallet;
};
Palette AddPalette(Mesh& mesh);

Mesh StraightSegment(int lengthMetres);  // "Truss\truss6m", "truss12m", "truss18m"
Mesh BaseSegment();                      // "Truss\Base2"
Mesh BaseTrunnions();                    // "Truss\BaseTrunnions"
Mesh RadiatorSegment();                  // "Truss\RadiatorTruss"
Mesh SolarSegment();                     // "Truss\SolarTruss"
Mesh CarrierSegment();                   // "Truss\Carriers\HaulbedSegment"
Mesh CarrierBase(int end);               // "Truss\Carriers\HaulbedBase1" (-1), "HaulbedBase2" (+1)
Mesh CarrierTrunnions();                 // "Truss\Carriers\Trunnions"

}  // namespace meshgen
