#!/usr/bin/env bash
# Makes the user manual's pictures (docs/manual/pictures/):
#
#   scripts/manual-pictures.sh vessels [BUILD [OUT]]
#       each vessel, drawn by hostsim render from the shipped scenarios (BUILD:
#       build/default unless given). The test docs.pictures draws them again and fails
#       when one differs: run this after changing a mesh or a scenario.
#   scripts/manual-pictures.sh editor [LINUX_BUILD [WINDOWS_BUILD [OUT]]]
#       each editor page as a person sees it: hostsim.exe shows it on the real window
#       system, under Wine on a virtual display, and takes its picture from the screen.
#       Needs the windows build too, and netpbm to turn the pictures into PNG files.
#   scripts/manual-pictures.sh            both
set -euo pipefail
cd "$(dirname "$0")/.."

vessels() {
  local build=${1:-build/default} out=${2:-docs/manual/pictures}
  local hostsim=$build/bin/hostsim scenarios=$build/addon/Scenarios/Spanrig
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
}

editor() {
  local linux=${1:-build/default} windows=${2:-build/windows} out=${3:-docs/manual/pictures}
  command -v bmptopnm > /dev/null && command -v pnmtopng > /dev/null ||
    { echo "the editor's pictures need netpbm (apt-get install netpbm)" >&2; exit 1; }
  work=$(mktemp -d)  # not local: the trap reads it when the script ends
  trap 'scripts/wine-scenarios.sh clean "$work/wine"; rm -rf "$work"' EXIT
  scripts/wine-scenarios.sh prepare "$work/wine" "$linux" "$windows"
  page() {  # FILE SCENARIO VESSEL PAGE
    printf 'at 0 editor %s "%s" show\nat 0 editor %s "%s" picture %s\n' "$3" "$4" "$3" "$4" "$work/$1.bmp" > "$work/$1.script"
    scripts/wine-scenarios.sh exec "$work/wine" "$windows/bin/hostsim.exe" run \
      "$work/wine/addon/Scenarios/Spanrig/$2.scn" --root "$work/wine/addon" --script "$work/$1.script" --quiet
    bmptopnm "$work/$1.bmp" 2> /dev/null | pnmtopng -compression 9 > "$out/$1.png"
  }
  page editor-truss "Segment types" Solar "Vessel Management"
  page editor-carrier-config "Carrier delivery" Hauler "Vessel Management"
  page editor-carrier-payloads "Carrier delivery" Hauler "Payloads"
}

case "${1:-}" in
  vessels) shift; vessels "$@" ;;
  editor) shift; editor "$@" ;;
  "") vessels && editor ;;
  *) sed -n '2,13p' "$0" >&2; exit 2 ;;
esac
