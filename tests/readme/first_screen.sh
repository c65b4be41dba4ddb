#!/usr/bin/env bash
# A newcomer's first steps, read from the README: the lines of its ```sh
# blocks above the first "## " heading run in order, in one shell, in a
# fresh clone of what is committed, with HOME a scratch directory. `make
# run` gets its answers on a pipe; `make test` is CI's own step. Then both
# programs and their manual pages must be found under that HOME, stripped;
# the installed dicestat must print what `make run` printed (its dialogue,
# nothing of the build) and write the same report; and the installed
# `dicestat-chart --summary` must read that report.
set -u
repo=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() {
  echo "first screen: $*" >&2
  exit 1
}
under_home() {
  case $2 in "$HOME"/*) ;; *) fail "$1: ${2:-none} (wanted the one installed under HOME)" ;; esac
}

git clone --quiet "$repo" "$scratch/clone" || fail "cannot clone $repo"
export HOME=$scratch/home
unset MANPATH
mkdir -p "$HOME" "$scratch/run"
printf '36\n1\n' >"$scratch/answers"
cd "$scratch/clone" || exit 1
while IFS= read -r line; do
  echo "first screen: $line"
  case $line in
    "make test" | "make test "*) echo "first screen: (left to CI's own step)" ;;
    "make run" | "make run "*) eval "$line" <"$scratch/answers" >"$scratch/make-run.out" 2>&1 ;;
    *) eval "$line" </dev/null ;;
  esac || fail "failed: $line"
done < <(awk '/^## / { exit } /^```/ { inside = !inside && /^```sh/; next } inside' README.md)
[ -f "$scratch/make-run.out" ] || fail "no make run above the README's first heading"

for program in dicestat dicestat-chart; do
  under_home "$program on PATH" "$(command -v "$program")"
  readelf -S "$(command -v "$program")" >"$scratch/sections" || fail "readelf cannot read $program"
  grep -qE '\.(symtab|debug_info)' "$scratch/sections" && fail "$program is not stripped"
  under_home "man $program" "$(man -w "$program")"
done

cd "$scratch/run" || exit 1
dicestat <"$scratch/answers" >console.out 2>&1 || fail "the installed dicestat failed"
cmp -s console.out "$scratch/make-run.out" ||
  fail "make run printed more than the dialogue: $(diff console.out "$scratch/make-run.out")"
cmp -s statfile.txt "$scratch/clone/statfile.txt" || fail "make run wrote another report"
dicestat-chart --summary || fail "the installed dicestat-chart --summary failed"
