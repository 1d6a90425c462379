#!/usr/bin/env bash
# Makes the user manual's pictures of the vessels (docs/manual/pictures/*.png, or OUT) with
# hostsim render, from the shipped scenarios. The manual's test (docs.pictures) makes them
# again and fails when one differs, so run this after changing a mesh or a scenario:
#
#   scripts/manual-pictures.sh [BUILD [OUT]]      (BUILD: build/default unless given)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
out=${2:-docs/manual/pictures}
hostsim=$build/bin/hostsim
scenarios=$build/addon/Scenarios/Spanrig
mkdir -p "$out"
picture() {  # FILE SCENARIO VESSEL
  "$hostsim" render "$scenarios/$2.scn" --root "$build/addon" --vessel "$3" --view iso --size 480x300 --out "$out/$1"
}
picture base.png "Segment types" Base
picture straight6.png "Segment types" Straight6
picture straight12.png "Segment types" Straight12
picture straight18.png "Segment types" Straight18
picture radiator.png "Segment types" Radiator
picture solar.png "Segment types" Solar
picture carrier.png "Carrier delivery" Hauler
