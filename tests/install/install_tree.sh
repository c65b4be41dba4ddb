#!/bin/sh
# `cmake --install` puts both programs, both manual pages and the licence
# under a fresh prefix, and the installed programs work together.
set -u
cmake=$1
build=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

"$cmake" --install "$build" --prefix "$prefix" >/dev/null || exit 1
status=0
for f in bin/dicestat bin/dicestat-chart; do
  [ -x "$prefix/$f" ] || { echo "not installed: $f"; status=1; }
done
for f in share/man/man1/dicestat.1 share/man/man1/dicestat-chart.1 share/doc/dicestat/copyright; do
  [ -f "$prefix/$f" ] || { echo "not installed: $f"; status=1; }
done
[ $status = 0 ] || exit 1

cd "$prefix" || exit 1
printf '36\n1\n' | ./bin/dicestat >/dev/null || { echo "installed dicestat failed"; exit 1; }
./bin/dicestat-chart >chart.svg || { echo "installed dicestat-chart failed"; exit 1; }
grep -q 'class="cell marked"' chart.svg || { echo "no marked cell in the chart"; exit 1; }
