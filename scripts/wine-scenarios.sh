#!/usr/bin/env bash
# Runs the scenario tests (tests/scenarios/NAME.scn, with NAME.script and NAME.args)
# twice: with hostsim on Linux, on the emulated window system, and with hostsim.exe
# under Wine, on a real window system; both must save the same bytes, write the same
# log lines, and load their saved scenario back to the same text.
#
#   scripts/wine-scenarios.sh prepare WORK LINUX_BUILD WINDOWS_BUILD
#       makes WORK/prefix (a throw-away Wine prefix, booted once), starts a virtual
#       display and the prefix's Wine server for the runs that follow, and makes
#       WORK/addon, the addon tree both runs use: the Linux build's tree with the
#       Windows DLLs beside the Linux modules, so that both name the same files.
#   scripts/wine-scenarios.sh run WORK LINUX_BUILD WINDOWS_BUILD NAME...
#   scripts/wine-scenarios.sh probe WORK LINUX_BUILD PROBE.exe SECONDS STEP
#       runs tests/msvc/probe_host.scn with its script in the probe host (a second
#       Orbiter.exe, built as the simulator is) and in hostsim on Linux: each vessel
#       must save the same lines.
#   scripts/wine-scenarios.sh exec WORK PROGRAM.exe ARGS...
#       runs a Windows program of the build in the prepared prefix.
#   scripts/wine-scenarios.sh clean WORK
#       stops the display and the Wine server that prepare started, and removes WORK.
#   scripts/wine-scenarios.sh all LINUX_BUILD WINDOWS_BUILD   (prepare, run all, clean)
#
# Wine runs headless on a virtual display (Xvfb, one for the whole test run, so that
# runs do not race for display numbers): without a display it makes no dialogs. Log lines are compared as they are, but for what each platform names its
# own way: the module file in "Module NAME.so [...]" against "Module NAME.dll [...]",
# and "\" against "/" in paths.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
scenarios="$here/tests/scenarios"
export WINEDEBUG=-all

wine_loader() {
  if [ -x /usr/lib/wine/wine64 ]; then echo /usr/lib/wine/wine64; else command -v wine64 || command -v wine; fi
}

prepare() {
  local work=$1 linux=$2 windows=$3
  rm -rf "$work" && mkdir -p "$work/prefix"
  [ -x "$linux/bin/hostsim" ] || { echo "no Linux build at $linux (cmake --workflow --preset default)" >&2; exit 1; }
  [ -f "$windows/bin/hostsim.exe" ] || { echo "no Windows build at $windows" >&2; exit 1; }
  cp -r "$linux/addon" "$work/addon"
  cp "$windows"/addon/Modules/*.dll "$work/addon/Modules/"
  # The display: Xvfb picks a free number itself and writes it to us.
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3> "$work/display" < /dev/null > "$work/xvfb.log" 2>&1 &
  echo $! > "$work/xvfb.pid"
  for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || { echo "Xvfb did not start: $(cat "$work/xvfb.log")" >&2; exit 1; }
  # The prefix's server stays up between runs until clean stops it.
  WINEPREFIX="$work/prefix" "$(dirname "$(wine_loader)")/wineserver" -p < /dev/null > /dev/null 2>&1
  in_wine wineboot -i < /dev/null > "$work/wineboot.log" 2>&1
}

# Runs a Windows program in the prepared prefix, on the prepared display. Callers
# send its output to files: Wine's helper processes outlive the program and would hold
# a pipe open. A program that crashes ends there, with the exception's code as its
# status: with Wine's debugger it would wait for one to attach.
in_wine() {
  DISPLAY=":$(head -n1 "$work/display")" WINEPREFIX="$work/prefix" WINEDLLOVERRIDES=winedbg.exe=d "$(wine_loader)" "$@"
}

clean() {
  local work=$1
  if [ -d "$work/prefix" ]; then
    WINEPREFIX="$work/prefix" "$(dirname "$(wine_loader)")/wineserver" -k 2> /dev/null || true
  fi
  if [ -s "$work/xvfb.pid" ]; then kill "$(cat "$work/xvfb.pid")" 2> /dev/null || true; fi
  rm -rf "$work"
}

# Reads "\" as "/" and a module's file as NAME.dll, the two things the platforms write
# their own way.
neutral_log() {
  sed -E -e 's#\\#/#g' -e 's#^(Module [^ ]+)\.so( \[|$)#\1.dll\2#' "$1" > "$2"
}

run_one() {
  local work=$1 linux=$2 windows=$3 name=$4
  local base="$scenarios/$name" out="$work/out/$name"
  rm -rf "$out" && mkdir -p "$out/linux" "$out/wine"
  local args=(run "$base.scn" --root "$work/addon" --quiet) reload=()
  [ -f "$base.script" ] && args+=(--script "$base.script")
  if [ -f "$base.args" ]; then
    read -r -a extra < "$base.args"
    args+=("${extra[@]}")
    # The reload takes the options that say how to load, not those of the run.
    local skip=0
    for a in "${extra[@]}"; do
      if [ $skip = 1 ]; then skip=0; elif [ "$a" = --for ] || [ "$a" = --dt ]; then skip=1; else reload+=("$a"); fi
    done
  fi
  local status=0
  (cd "$out/linux" && "$linux/bin/hostsim" "${args[@]}" --save saved.scn --log run.log 2> stderr.txt) || status=$?
  [ $status = 0 ] || { echo "$name: hostsim exited with $status: $(cat "$out/linux/stderr.txt")"; return 1; }
  (cd "$out/wine" && in_wine "$windows/bin/hostsim.exe" "${args[@]}" --save saved.scn --log run.log \
     < /dev/null > stdout.txt 2> stderr.txt) || status=$?
  [ $status = 0 ] || { echo "$name: hostsim.exe under Wine exited with $status: $(cat "$out/wine/stderr.txt")"; return 1; }

  local failed=0
  if ! cmp -s "$out/linux/saved.scn" "$out/wine/saved.scn"; then
    echo "$name: the saved scenarios differ (Linux, then Wine):"
    diff -u "$out/linux/saved.scn" "$out/wine/saved.scn" || true
    failed=1
  fi
  if ! cmp -s "$out/wine/saved.scn" "$base.expected.scn"; then
    echo "$name: hostsim.exe saved other than $name.expected.scn:"
    diff -u "$base.expected.scn" "$out/wine/saved.scn" || true
    failed=1
  fi
  neutral_log "$out/linux/run.log" "$out/linux/run.neutral.log" || { echo "$name: cannot read the Linux log"; return 1; }
  neutral_log "$out/wine/run.log" "$out/wine/run.neutral.log" || { echo "$name: cannot read the Wine log"; return 1; }
  if ! diff -u "$out/linux/run.neutral.log" "$out/wine/run.neutral.log" > "$out/log.diff"; then
    echo "$name: the logs differ (Linux, then Wine):"
    cat "$out/log.diff"
    failed=1
  fi
  (cd "$out/wine" && in_wine "$windows/bin/hostsim.exe" run saved.scn --root "$work/addon" --quiet "${reload[@]}" \
     --save reloaded.scn < /dev/null > reload-stdout.txt 2> reload-stderr.txt) || status=$?
  if [ $status != 0 ]; then
    echo "$name: hostsim.exe under Wine exited with $status on reloading: $(cat "$out/wine/reload-stderr.txt")"
    failed=1
  elif ! cmp -s "$out/wine/saved.scn" "$out/wine/reloaded.scn"; then
    echo "$name: under Wine the saved scenario does not load back to the same text:"
    diff -u "$out/wine/saved.scn" "$out/wine/reloaded.scn" || true
    failed=1
  fi
  [ $failed = 0 ] && echo "$name: Linux and Wine agree ($(wc -l < "$out/linux/run.log") log lines)"
  return $failed
}

probe() {
  local work=$1 linux=$2 probe=$3 seconds=$4 step=$5
  local base="$here/tests/msvc/probe_host" out="$work/out/probe_host"
  rm -rf "$out" && mkdir -p "$out"
  "$linux/bin/hostsim" run "$base.scn" --root "$work/addon" --quiet --script "$base.script" --for "$seconds" \
    --dt "$step" --save "$out/hostsim.scn" 2> "$out/hostsim-stderr.txt" ||
    { echo "hostsim failed: $(cat "$out/hostsim-stderr.txt")"; return 1; }
  sed -e '1,/^BEGIN_SHIPS$/d' -e '/^END_SHIPS$/,$d' "$out/hostsim.scn" > "$out/hostsim.txt"
  (cd "$out" && in_wine "$probe" "$work/addon" "$base.scn" "$base.script" "$seconds" "$step" \
     < /dev/null > probe.txt 2> probe-stderr.txt) || { echo "the probe host failed: $(cat "$out/probe-stderr.txt")"; return 1; }
  if ! diff -u "$out/hostsim.txt" "$out/probe.txt"; then
    echo "the probe host's vessels saved other lines than hostsim's (hostsim, then the probe)"
    return 1
  fi
  echo "the probe host and hostsim agree on $(grep -c '^END$' "$out/probe.txt") vessels"
}

command=${1:-}
case "$command" in
  prepare) prepare "$2" "$3" "$4" ;;
  run)
    work=$2 linux=$3 windows=$4
    shift 4
    failures=0
    for name in "$@"; do run_one "$work" "$linux" "$windows" "$name" || failures=$((failures + 1)); done
    exit $((failures > 0))
    ;;
  probe) probe "$2" "$3" "$4" "$5" "$6" ;;
  exec)
    work=$2
    shift 2
    status=0
    in_wine "$@" < /dev/null > "$work/exec.txt" 2>&1 || status=$?
    cat "$work/exec.txt"
    exit $status
    ;;
  clean) clean "$2" ;;
  all)
    linux=$(cd "$2" && pwd) windows=$(cd "$3" && pwd)
    work=$(mktemp -d)
    trap 'clean "$work"' EXIT
    prepare "$work" "$linux" "$windows"
    names=()
    for scn in "$scenarios"/*.scn; do
      case "$scn" in *.expected.scn) continue ;; esac
      names+=("$(basename "$scn" .scn)")
    done
    passed=0 failed=0
    for name in "${names[@]}"; do
      if run_one "$work" "$linux" "$windows" "$name"; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
    done
    echo "$passed passed, $failed failed"
    exit $((failed > 0))
    ;;
  *) sed -n '2,20p' "$0" >&2; exit 2 ;;
esac
