#!/usr/bin/env bash
# Configures and builds one CMake build, saying nothing when both succeed.
#
# tools/quiet-build.sh DIR [CMAKE_ARG...] [-- TARGET...]
#
# DIR is configured from this repository with the CMAKE_ARGs and its
# TARGETs built (all when none are named), JOBS at a time (default: one a
# processor). Each step's output goes to DIR/configure.log or DIR/build.log;
# when a step fails, its output is shown in full but for the progress
# lines, and the status is 1. Neither step reads standard input, which
# belongs to the program `make run` starts next.
set -u
source_dir=$(cd "$(dirname "$0")/.." && pwd)
dir=$1
shift
config=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do
  config+=("$1")
  shift
done
[ $# -gt 0 ] && shift
build=(--build "$dir" -j "${JOBS:-$(nproc)}")
[ $# -gt 0 ] && build+=(--target "$@")

# What make and CMake print while all goes well; the compiler's messages and
# make's "*** ... Error" lines stay.
PROGRESS='^\[ *[0-9]+%\] |^Consolidate compiler generated dependencies|^g?make\[[0-9]+\]: (Entering|Leaving) directory'

mkdir -p "$dir" || exit 1
if ! cmake -S "$source_dir" -B "$dir" "${config[@]}" </dev/null >"$dir/configure.log" 2>&1; then
  cat "$dir/configure.log" >&2
  exit 1
fi
if ! cmake "${build[@]}" </dev/null >"$dir/build.log" 2>&1; then
  grep -Ev "$PROGRESS" "$dir/build.log" >&2
  exit 1
fi
