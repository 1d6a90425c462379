#!/usr/bin/env bash
# Makes the build's packages afresh and checks each as a person would use it:
#
#   tests/package/check-package.sh BUILD_DIR MANIFEST_DIR [RUNNER]
#
# Each archive NAME-VERSION-PLATFORM.EXT must hold exactly the files that
# MANIFEST_DIR/NAME-PLATFORM.files lists (no more: nothing of the tests), and unpacked into
# an empty folder every scenario it ships must run from there and exit 0: the add-on's with
# the build's hostsim (RUNNER, when given, runs it: the Wine runs of hostsim.exe), hostsim's
# with the unpacked program itself, on the add-on tree it finds by default.
set -euo pipefail
build=$(cd "$1" && pwd)
manifests=$(cd "$2" && pwd)
runner=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset HOSTSIM_ROOT

cpack --config "$build/CPackConfig.cmake" -B "$work/packages" > "$work/cpack.log" 2>&1 || {
  cat "$work/cpack.log" >&2
  exit 1
}
failures=0
fail() {
  echo "$1" >&2
  failures=$((failures + 1))
}

# Every scenario under FOLDER, run for a minute of simulated time by PROGRAM (a command,
# perhaps of several words) with the options given after it.
run_scenarios() {
  local folder=$1 program=$2 found=0 scenario
  shift 2
  while IFS= read -r -d '' scenario; do
    found=1
    $program run "$scenario" "$@" --for 60 --quiet > "$work/run.log" 2>&1 ||
      fail "$(basename "$scenario"): $program failed: $(cat "$work/run.log")"
  done < <(find "$folder" -name '*.scn' -print0)
  [ $found -eq 1 ] || fail "no scenario in $folder"
}

archives=0
for archive in "$work"/packages/*.tar.gz "$work"/packages/*.zip; do
  [ -f "$archive" ] || continue
  archives=$((archives + 1))
  base=$(basename "$archive")
  name=${base%%-*}
  platform=${base#*-*-}
  platform=${platform%.tar.gz}
  platform=${platform%.zip}
  manifest="$manifests/$name-$platform.files"
  if [ ! -f "$manifest" ]; then
    fail "$base: no manifest $manifest"
    continue
  fi
  if ! diff -u "$manifest" <(cmake -E tar tf "$archive" | grep -v '/$' | LC_ALL=C sort) > "$work/diff"; then
    fail "$base does not hold what $(basename "$manifest") lists:"$'\n'"$(cat "$work/diff")"
  fi

  unpacked="$work/unpacked/$base"
  mkdir -p "$unpacked"
  (cd "$unpacked" && cmake -E tar xf "$archive")
  if [ "$name" == hostsim ]; then
    "$unpacked/bin/hostsim" --version > /dev/null || fail "$base: the unpacked hostsim does not start"
    run_scenarios "$unpacked/share/hostsim/Scenarios" "$unpacked/bin/hostsim"
  elif [ -n "$runner" ]; then
    run_scenarios "$unpacked/Scenarios" "$runner" --root "$unpacked"
  else
    run_scenarios "$unpacked/Scenarios" "$build/bin/hostsim" --root "$unpacked"
  fi
done
[ $archives -gt 0 ] || fail "cpack made no archive"

if [ $failures -ne 0 ]; then
  exit 1
fi
echo "$archives archive(s) hold what they should, and every scenario they ship runs from them"
