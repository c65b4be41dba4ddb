#!/usr/bin/env bash
# Builds and runs the tests of one build, and says where it is and what
# happened.
#
# tools/run-tests.sh DIR [CMAKE_ARG...]
#
# DIR is configured with the CMAKE_ARGs and built by tools/quiet-build.sh,
# then its tests run under ctest, JOBS at a time. Every TICK seconds (20 by
# default) a line says where the run is: the build's percentage, then the
# tests done, such as "[ 40/158] 1m30s", with the time since the start. Of
# ctest's output only what went wrong is shown: each failing test's output
# in full, and ctest's lists of the tests that failed or did not run; the
# whole of it stays in DIR/ctest.log. The last line is `N passed, M failed`;
# skipped tests, and a ctest that failed without a failing test, are named
# on the lines before it. A build that fails to compile stops the run. The
# status is 1 when anything failed.
set -u
tools=$(dirname "$0")
jobs=${JOBS:-$(nproc)}
tick=${TICK:-20}
dir=$1
shift

# ctest's lines for a test that started, passed or skipped itself, and its
# header and closing summary, which the lines at the end replace.
export CTEST_NOISE='^ +Start +[0-9]+: |^ *[0-9]+/[0-9]+ Test +#[0-9]+: .*[ .](Passed|\*\*\*Skipped) +[0-9.]+ sec$|^Internal ctest changing into directory: |^Test project |^[0-9]+% tests passed, |^Total Test time |^Errors while running CTest$'
# ctest's line for a test that ended, whichever way.
DONE='^ *[0-9]+/[0-9]+ Test +#'

# Drops the noise, and the blank lines that only framed it; a blank line
# within a failing test's output stays.
show_failures() {
  awk '/^$/ { blank++; next }
       $0 ~ ENVIRON["CTEST_NOISE"] { blank = 0; next }
       { for (; blank > 0; blank--) print ""; print; fflush() }'
}

elapsed() {
  printf '%dm%02ds' $((SECONDS / 60)) $((SECONDS % 60))
}

# Where the build is: the last percentage make gave, or that it has not
# begun.
build_progress() {
  local percent
  percent=$(grep -oE '^\[ *[0-9]+%\]' "$dir/build.log" 2>/dev/null | tail -1)
  if [ -n "$percent" ]; then
    echo "$percent building, $(elapsed)"
  else
    echo "[  0%] configuring, $(elapsed)"
  fi
}

# How many tests have ended, of all.
test_progress() {
  printf '[%3d/%d] %s\n' "$(grep -cE "$DONE" "$log")" "$total" "$(elapsed)"
}

# Runs the command given every `tick` seconds in the background, until
# stop_ticker; a sleep cut short goes with it.
ticker=
start_ticker() {
  (
    trap 'kill $pause 2>/dev/null; exit 0' TERM
    while :; do
      sleep "$tick" &
      pause=$!
      wait $pause
      "$@"
    done
  ) &
  ticker=$!
}
stop_ticker() {
  kill "$ticker" 2>/dev/null
  wait "$ticker" 2>/dev/null
  ticker=
}
trap '[ -n "$ticker" ] && stop_ticker' EXIT

rm -f "$dir/build.log" # an earlier build's percentage is not this one's
build_progress
start_ticker build_progress
"$tools/quiet-build.sh" "$dir" "$@"
built=$?
stop_ticker
if [ $built -ne 0 ]; then
  echo "the build failed, no tests run"
  exit 1
fi

log=$dir/ctest.log
: >"$log"
total=$(ctest --test-dir "$dir" -N </dev/null | sed -n 's/^Total Tests: //p')
test_progress
start_ticker test_progress
ctest --test-dir "$dir" --output-on-failure --no-tests=error -j "$jobs" </dev/null 2>&1 |
  tee "$log" | show_failures
ctest_status=${PIPESTATUS[0]}
stop_ticker

# No summary (no tests found, ctest itself failing) or a failure status
# with no failing test: say so, so that the counts never read as a pass.
totals=$(sed -En 's/^[0-9]+% tests passed, ([0-9]+) tests? failed out of ([0-9]+)$/\1 \2/p' "$log")
read -r failed all <<<"${totals:-0 0}"
skipped=$(sed -En 's/^[[:space:]]+[0-9]+ - (.*) \((Skipped|Disabled)\)$/\1/p' "$log")
passed=$((all - failed - $(printf '%s' "$skipped" | grep -c '')))
[ -n "$skipped" ] && echo "skipped:" $skipped
if [ -z "$totals" ] || { [ "$ctest_status" -ne 0 ] && [ "$failed" -eq 0 ]; }; then
  echo "ctest failed with status $ctest_status, see $log"
fi
echo "$passed passed, $failed failed"
[ "$ctest_status" -eq 0 ] && [ -n "$totals" ]
