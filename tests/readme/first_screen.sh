#!/usr/bin/env bash
# A newcomer's first steps, taken from the README itself: the commands in
# the ```sh blocks above its first "## " heading run in order, in one shell,
# in a fresh clone of what is committed here, with HOME a scratch directory
# (so an install under $HOME lands there). `make run` gets its answers on a
# pipe; `make test` is left to CI's own step; every other line runs as
# written. Then both programs must be on PATH, installed stripped under
# that HOME, with their manual pages; the installed dicestat, given the
# same answers, must print exactly what `make run` printed (the program's
# dialogue, nothing of the build) and write the same report; and the
# installed `dicestat-chart --summary` must read that report.
set -u
repo=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() {
  echo "first screen: $*" >&2
  exit 1
}

git clone --quiet "$repo" "$scratch/clone" || fail "cannot clone $repo"
export HOME=$scratch/home
mkdir -p "$HOME" "$scratch/run"
printf '36\n1\n' >"$scratch/answers"
commands=$(awk '/^## / { exit }
                /^```/ { inside = !inside && /^```sh/; next }
                inside' "$scratch/clone/README.md")
[ -n "$commands" ] || fail "no commands before the README's first heading"

cd "$scratch/clone" || exit 1
while IFS= read -r line; do
  case $line in
    "" | "#"*) ;;
    "make test" | "make test "*) echo "first screen: left to CI: $line" ;;
    "make run" | "make run "*)
      echo "first screen: $line, answers on a pipe"
      eval "$line" <"$scratch/answers" >"$scratch/make-run.out" 2>&1 ||
        fail "failed: $line: $(cat "$scratch/make-run.out")"
      ;;
    *)
      echo "first screen: $line"
      eval "$line" </dev/null || fail "failed: $line"
      ;;
  esac
done <<<"$commands"
[ -f "$scratch/make-run.out" ] || fail "the first screen has no make run"

for program in dicestat dicestat-chart; do
  path=$(command -v "$program") || fail "$program is not on PATH"
  case $path in "$HOME"/*) ;; *) fail "$program on PATH is $path, not the one installed under HOME" ;; esac
  readelf -S "$path" >"$scratch/sections" || fail "readelf cannot read $path"
  grep -qE '\.(symtab|debug_info)' "$scratch/sections" && fail "$path is not stripped"
  if ! command -v man >/dev/null; then
    echo "first screen: no man command here, manual pages not looked up"
    continue
  fi
  page=$(env -u MANPATH man -w "$program" 2>&1) || fail "no manual page for $program: $page"
  case $page in "$HOME"/*) ;; *) fail "man $program shows $page, not the one installed under HOME" ;; esac
done

cd "$scratch/run" || exit 1
dicestat <"$scratch/answers" >console.out 2>&1 || fail "the installed dicestat failed"
cmp -s console.out "$scratch/make-run.out" ||
  fail "make run printed more than the program's dialogue:$(diff console.out "$scratch/make-run.out")"
cmp -s statfile.txt "$scratch/clone/statfile.txt" ||
  fail "make run and the installed dicestat wrote different reports"
summary=$(dicestat-chart --summary) || fail "the installed dicestat-chart --summary failed"
[ -n "$summary" ] || fail "dicestat-chart --summary printed nothing"
echo "$summary"
