#!/usr/bin/env bash
# Builds and runs the tests of one or more builds, and says what happened.
#
# tools/run-tests.sh "LABEL DIR [CMAKE_ARG...]"...
#
# Each argument is one build: DIR is configured with the CMAKE_ARGs and
# built by tools/quiet-build.sh, then its tests run under ctest, JOBS at a
# time. Of ctest's output only what went wrong is shown: each failing
# test's output in full, and ctest's lists of the tests that failed or
# did not run; the whole of it stays in DIR/ctest.log. At the end comes a
# line per build, `LABEL: N passed, M failed` (`, K skipped` when some
# were), and after more than one build the same for all of them together.
# A build that fails to compile stops the run. The status is 1 when
# anything failed.
set -u
tools=$(dirname "$0")
jobs=${JOBS:-$(nproc)}

# ctest's lines for a test that started, passed or skipped itself, and its
# header and closing summary, which the lines at the end replace.
export CTEST_NOISE='^ +Start +[0-9]+: |^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* (Passed|\*\*\*Skipped) +[0-9.]+ sec$|^Internal ctest changing into directory: |^Test project |^[0-9]+% tests passed, |^Total Test time |^Errors while running CTest$'

# Drops the noise, and the blank lines that only framed it; a blank line
# within a failing test's output stays.
show_failures() {
  awk '/^$/ { blank++; next }
       $0 ~ ENVIRON["CTEST_NOISE"] { blank = 0; next }
       { for (; blank > 0; blank--) print ""; print; fflush() }'
}

summary=()
troubled=()
passed_all=0
failed_all=0
skipped_all=0
status=0
print_summary() {
  [ ${#summary[@]} -gt 0 ] && printf '%s\n' "${summary[@]}"
}

for build in "$@"; do
  read -r -a words <<<"$build"
  label=${words[0]}
  dir=${words[1]}
  if ! "$tools/quiet-build.sh" "$dir" "${words[@]:2}"; then
    print_summary
    echo "$label: the build failed, no tests run"
    exit 1
  fi
  log=$dir/ctest.log
  ctest --test-dir "$dir" --output-on-failure --no-tests=error -j "$jobs" </dev/null 2>&1 |
    tee "$log" | show_failures
  ctest_status=${PIPESTATUS[0]}

  # No summary (no tests found, ctest itself failing) or a failure status
  # with no failing test: say so, so that the counts never read as a pass.
  totals=$(sed -En 's/^[0-9]+% tests passed, ([0-9]+) tests? failed out of ([0-9]+)$/\1 \2/p' "$log")
  read -r failed total <<<"${totals:-0 0}"
  skipped=$(grep -cE '^[[:space:]]+[0-9]+ - .* \((Skipped|Disabled)\)$' "$log")
  passed=$((total - failed - skipped))
  line="$label: $passed passed, $failed failed"
  [ "$skipped" -gt 0 ] && line="$line, $skipped skipped"
  if [ -z "$totals" ] || { [ "$ctest_status" -ne 0 ] && [ "$failed" -eq 0 ]; }; then
    line="$line; ctest failed with status $ctest_status, see $log"
    troubled+=("$label")
  fi
  { [ "$ctest_status" -ne 0 ] || [ -z "$totals" ]; } && status=1
  summary+=("$line")
  passed_all=$((passed_all + passed))
  failed_all=$((failed_all + failed))
  skipped_all=$((skipped_all + skipped))
done

print_summary
if [ $# -gt 1 ]; then
  line="$passed_all passed, $failed_all failed"
  [ "$skipped_all" -gt 0 ] && line="$line, $skipped_all skipped"
  [ ${#troubled[@]} -gt 0 ] && line="$line; ctest failed in ${troubled[*]}"
  echo "$line"
fi
exit $status
