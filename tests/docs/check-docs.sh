#!/usr/bin/env bash
# Runs the examples of the project's pages, so that no page can go stale:
#
#   tests/docs/check-docs.sh SOURCE_DIR BUILD_DIR [--help-examples] [PAGE.md...]
#
# In a page, a fenced block is
#   ```console      run: each "$ " line is a command (a trailing "\" continues it), and the
#                   lines up to the next command are what it prints (standard output and
#                   error together); a line "..." stands for any number of lines. Every
#                   command must end with status 0 (a pipeline's is its last command's,
#                   as a shell reports it).
#   ```console timeout=S
#                   the same for commands that run long (benchmarks, soaks): each may run
#                   for S seconds; one still running then has started well and is stopped.
#   ```text file=F  written to the file F before the blocks after it run.
#   ```sh           commands that CI runs itself: each line must stand, word for word, in
#                   .ci/run or scripts/test.sh.
# Other blocks are text. The commands run with bash in a copy of the source tree (without
# build/, .git/ and .deps/), where build/default is BUILD_DIR and `hostsim` is on the path,
# so that an example may write files without touching the checkout.
#
# --help-examples runs the examples that `hostsim run --help` and `hostsim render --help`
# print, which must work from any folder.
set -euo pipefail
source_dir=$(cd "$1" && pwd)
build_dir=$(cd "$2" && pwd)
shift 2
help_examples=0
if [ "${1:-}" == "--help-examples" ]; then
  help_examples=1
  shift
fi

sandbox=$(mktemp -d)
trap 'rm -rf "$sandbox"' EXIT
(cd "$source_dir" && tar --exclude=./build --exclude=./.git --exclude=./.deps -cf - .) | (cd "$sandbox" && tar -xf -)
mkdir -p "$sandbox/build"
ln -s "$build_dir" "$sandbox/build/default"
export PATH="$build_dir/bin:$PATH"
unset HOSTSIM_ROOT

failures=0
fail() {
  echo "$1" >&2
  failures=$((failures + 1))
}

# True when the printed text matches the expected text, where a line "..." in the
# expected text stands for any number of lines.
matches() {
  local expected=$1 actual=$2
  if [[ "$expected" != *$'\n...\n'* && "$expected" != $'...\n'* && "$expected" != *$'\n...' ]]; then
    [ "$expected" == "$actual" ]
    return
  fi
  local pattern="" line
  while IFS= read -r line; do
    if [ "$line" == "..." ]; then
      pattern+='(.*\n)?'
    else
      pattern+="$(printf '%s' "$line" | sed -e 's/[][\.*^$(){}?+|/\\]/\\&/g')\\n"
    fi
  done <<< "$expected"
  printf '%s\n' "$actual" | perl -0777 -ne "exit(/\\A${pattern}\\z/s ? 0 : 1)"
}

# Runs one command in the sandbox and compares what it prints.
run_command() {
  local where=$1 command=$2 expected=$3 seconds=${4:-} actual status
  set +e
  if [ -n "$seconds" ]; then
    actual=$(cd "$sandbox" && timeout "$seconds" bash -c "$command" 2>&1)
    status=$?
    [ $status -eq 124 ] && status=0 expected=""
  else
    actual=$(cd "$sandbox" && bash -c "$command" 2>&1)
    status=$?
  fi
  set -e
  if [ $status -ne 0 ]; then
    fail "$where: \"$command\" ended with status $status:"$'\n'"$actual"
  elif [ -n "$expected" ] && ! matches "$expected" "$actual"; then
    fail "$where: \"$command\" printed"$'\n'"$actual"$'\n'"--- instead of ---"$'\n'"$expected"
  fi
}

# The commands of a console block, each with what it prints.
run_console_block() {
  local where=$1 block=$2 seconds=${3:-} command="" expected="" continued=0 line
  while IFS= read -r line; do
    if [ $continued -eq 1 ]; then
      command+=$'\n'"$line"
      [[ "$line" == *\\ ]] || continued=0
    elif [[ "$line" == '$ '* ]]; then
      [ -n "$command" ] && run_command "$where" "$command" "${expected%$'\n'}" "$seconds"
      command=${line#\$ }
      expected=""
      [[ "$line" == *\\ ]] && continued=1
    else
      expected+="$line"$'\n'
    fi
  done <<< "${block%$'\n'}"
  [ -n "$command" ] && run_command "$where" "$command" "${expected%$'\n'}" "$seconds"
  return 0
}

check_page() {
  local page=$1 name=${1#"$source_dir"/} number=0 fence="" info="" start=0 block="" line
  while IFS= read -r line || [ -n "$line" ]; do
    number=$((number + 1))
    if [ -z "$fence" ]; then
      if [[ "$line" =~ ^(\`\`\`+)(.*)$ ]]; then
        fence=${BASH_REMATCH[1]}
        info=${BASH_REMATCH[2]}
        start=$number
        block=""
      fi
    elif [ "$line" == "$fence" ]; then
      local where="$name:$start"
      case "$info" in
        console) run_console_block "$where" "$block" ;;
        "console timeout="*) run_console_block "$where" "$block" "${info#console timeout=}" ;;
        "text file="*) printf '%s' "$block" > "$sandbox/${info#text file=}" ;;
        sh)
          local command
          while IFS= read -r command; do
            grep -qxF -- "$command" "$source_dir/.ci/run" "$source_dir/scripts/test.sh" ||
              fail "$where: \"$command\" is run neither by .ci/run nor by scripts/test.sh"
          done <<< "${block%$'\n'}"
          ;;
      esac
      fence=""
    else
      block+="$line"$'\n'
    fi
  done < "$page"
  [ -z "$fence" ] || fail "$name:$start: the block is never closed"
}

for page in "$@"; do
  check_page "$(cd "$(dirname "$page")" && pwd)/$(basename "$page")"
done

for subcommand in run render; do
  [ $help_examples -eq 1 ] || break
  example=$(hostsim "$subcommand" --help |
    awk '/^Example:/ { example = 1; next } example && /^  hostsim/ { command = 1 } command { print; if ($0 !~ /\\$/) exit }')
  [ -n "$example" ] || fail "hostsim $subcommand --help shows no example"
  [ -z "$example" ] || run_command "hostsim $subcommand --help" "$example" ""
done

if [ $failures -ne 0 ]; then
  echo "$failures example(s) failed" >&2
  exit 1
fi
echo "every example runs as shown"
