#!/usr/bin/env bash
# The Windows zip as a Windows user meets it: unpacked into an empty folder,
# dicestat.exe run there under Wine with its answers on a pipe, then
# dicestat-chart.exe on what it wrote. Every file written, every output byte
# and exit status must equal the Linux programs' run in a folder of the same
# name.   run.sh ZIP LINUX_DICESTAT LINUX_CHART (WINEPREFIX set, Wine started)
set -u
zip=$(realpath "$1") dicestat=$(realpath "$2") chart=$(realpath "$3")
: "${WINEPREFIX:?the Wine prefix to run in}"
work=$(mktemp -d "${TMPDIR:-/tmp}/wine-zip.XXXXXX")
trap 'rm -rf "$work"' EXIT

readonly kPacked="LICENSE.txt README.txt dicestat-chart.exe dicestat-chart.txt dicestat.exe dicestat.txt"
# The chart's runs: where (in: the folder; above: its parent, so that the
# roll log lies beside the report, not in the current folder) | arguments,
# paths with '/' ('\' on Windows).
readonly kChartRuns="in|--summary statfile.txt
in|statfile.txt
in|-o chart.svg statfile.txt
in|--independence dicefile.txt
above|FOLDER/statfile.txt"

status=0
fail() { echo "FAIL: $*" && status=1; }
listing() { (cd "$1" && LC_ALL=C ls | tr '\n' ' '); }

folder=$(basename "$zip" .zip) # dicestat-<version>-win64
version=${folder#dicestat-} && version=${version%-win64}
win=$work/win/$folder linux=$work/linux/$folder
mkdir -p "$linux" "$work/win" "$work/out"
(cd "$work/win" && cmake -E tar xf "$zip") || fail "cannot unpack $zip"
[[ $(listing "$win") == "$kPacked " ]] || fail "the zip holds $(listing "$win"), not $kPacked"
for f in LICENSE.txt README.txt dicestat.txt dicestat-chart.txt; do # printable ASCII lines, CR LF
  LC_ALL=C grep -qv $'^[ -~]*\r$' "$win/$f" || [[ -n $(tail -c 1 "$win/$f") ]] &&
    fail "$f: a line that is not printable ASCII ending with CR LF"
done
for f in dicestat.txt dicestat-chart.txt; do
  grep -q "^dicestat $version " "$win/$f" || fail "$f: no footer with the version $version"
done
# The README speaks to Windows users: no Unix commands, nothing outside the zip.
grep -qiE '(^|[^-])\b(make|sudo|printf)\b|://' "$win/README.txt" &&
  fail "README.txt: a Unix command or an address outside the zip"

# Runs `command...` in dir; its output and status into $work/out/side.n.*
run() { # side n dir stdin command...
  local side=$1 n=$2 dir=$3 in=$4
  shift 4
  (cd "$dir" && "$@" <"$in" >"$work/out/$side.$n.out" 2>"$work/out/$side.$n.err"
    echo $? >"$work/out/$side.$n.status")
}
# Run n's output on both sides; a Windows run above the folder has its '\' put back as '/'.
same_output() { # n where name
  local k
  for k in out err status; do
    cmp -s <(if [[ $2 == above ]]; then tr '\\' '/'; else cat; fi <"$work/out/win.$1.$k") \
      "$work/out/linux.$1.$k" || { fail "$3: standard $k differs from Linux's" && return; }
  done
  echo "ok: $3: the same $(wc -c <"$work/out/linux.$1.out") bytes out, status $(cat "$work/out/linux.$1.status")"
}

printf '100000\n42\n' >"$work/answers"
run win 0 "$win" "$work/answers" wine dicestat.exe
run linux 0 "$linux" "$work/answers" "$dicestat"
same_output 0 in "dicestat, 100000 rolls, seed 42"
n=0
while IFS='|' read -r where args; do
  n=$((n + 1)) args=${args//FOLDER/$folder} dir=$win exe=dicestat-chart.exe
  [[ $where == above ]] && dir=$work/win exe="$folder\\$exe"
  # shellcheck disable=SC2086 # the arguments split at blanks
  run win $n "$dir" /dev/null wine "$exe" ${args//\//\\}
  # shellcheck disable=SC2086
  run linux $n "${dir/$work\/win/$work/linux}" /dev/null "$chart" $args
  same_output $n "$where" "dicestat-chart $args ($where the folder)"
done <<<"$kChartRuns"

# The files written: the same names, the same bytes.
written=$(listing "$linux")
[[ $(listing "$win") == "$(printf '%s\n' $kPacked $written | LC_ALL=C sort | tr '\n' ' ')" ]] ||
  fail "the Windows programs wrote other files than Linux's ($written)"
for f in $written; do
  cmp -s "$win/$f" "$linux/$f" && echo "ok: $f: the same $(wc -c <"$linux/$f") bytes" ||
    fail "$f differs from Linux's"
done
exit $status
