#!/usr/bin/env bash
# Runs every fuzz target (or the ones named) for SECONDS each, on a temporary copy of
# its seed corpus and with its dictionary, and fails when a target finds something.
# A finding's input and log are kept in build/asan/findings/TARGET/. The targets are
# built by the asan preset:
#
#   cmake --workflow --preset asan && scripts/fuzz.sh SECONDS [TARGET...]
#
# Targets: scenario_roundtrip script_reader carrier_commands editor_actions mesh_reader
# resource_reader. Extra libFuzzer options can be given in FUZZ_OPTIONS.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: scripts/fuzz.sh SECONDS [TARGET...]}
shift
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(scenario_roundtrip script_reader carrier_commands editor_actions mesh_reader resource_reader)
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# An input that runs this long is a finding too (a hang).
input_timeout=25
# Runs one target; its lines are printed when it ends.
fuzz_one() {
  local target=$1
  local program=build/asan/fuzz/fuzz_$target
  local corpus=$work/$target
  mkdir -p "$corpus"
  cp tests/fuzz/"$target"/* "$corpus"/
  local findings=build/asan/findings/$target
  mkdir -p "$findings"
  local options=(-max_total_time="$seconds" -timeout="$input_timeout" -artifact_prefix="$findings/" -print_final_stats=1)
  [ -f tests/fuzz/"$target".dict ] && options+=(-dict=tests/fuzz/"$target".dict)
  local log=$work/$target.log
  # shellcheck disable=SC2086
  if "$program" "${options[@]}" ${FUZZ_OPTIONS:-} "$corpus" > "$log" 2>&1; then
    local runs
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz_$target: ${runs:-?} inputs in $seconds s, nothing found"
  else
    cp "$log" "$findings/last.log"
    grep -E "^(==[0-9]+==|SUMMARY|fuzz finding|artifact_prefix|Test unit written)" "$log" | head -20
    echo "fuzz_$target: FOUND something: input and log in $findings/" >&2
    return 1
  fi
}

for target in "${targets[@]}"; do
  [ -x build/asan/fuzz/fuzz_$target ] || { echo "build/asan/fuzz/fuzz_$target is missing: build it with cmake --workflow --preset asan" >&2; exit 2; }
done
# Each target runs on one core: as many run at once as there are cores.
status=0
running=0
for target in "${targets[@]}"; do
  if [ "$running" -ge "$(nproc)" ]; then
    wait -n || status=1
    running=$((running - 1))
  fi
  fuzz_one "$target" &
  running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
  wait -n || status=1
  running=$((running - 1))
done
exit $status
