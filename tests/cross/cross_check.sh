#!/usr/bin/env bash
# make test-cross: builds the program for other processors with Debian's
# cross compilers, runs each build under qemu-user on a fixed table of cases
# and compares what every run leaves behind (both files, the console bytes,
# the exit status) byte for byte with the x86-64 build run on this host.
# Usage: cross_check.sh BUILD_DIR
set -uo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
out=$(mkdir -p "${1:-build-cross}" && cd "${1:-build-cross}" && pwd)
jobs=${JOBS:-2}
run_seconds=60 # far beyond any case here: a run that waits is a failure

# The builds: name | toolchain in cmake/ | build type | how to run it. The
# first is the reference, run directly; the same toolchain and type share
# one build.
targets=(
  "x86_64|x86_64-linux-gnu|RelWithDebInfo|"
  "x86_64-qemu64|x86_64-linux-gnu|RelWithDebInfo|qemu-x86_64 -cpu qemu64"
  "i386|i686-linux-gnu|RelWithDebInfo|qemu-i386"
  "i386-O0|i686-linux-gnu|Debug|qemu-i386"
  "aarch64|aarch64-linux-gnu|RelWithDebInfo|qemu-aarch64 -L /usr/aarch64-linux-gnu"
  "s390x|s390x-linux-gnu|RelWithDebInfo|qemu-s390x -L /usr/s390x-linux-gnu"
)

fail() { echo "test-cross: $*" >&2; exit 1; }

for tool in c++ cmake prlimit setsid timeout cmp; do
  command -v "$tool" >/dev/null || fail "$tool is missing"
done
for target in "${targets[@]}"; do
  IFS='|' read -r _ toolchain _ emulator <<<"$target"
  command -v "$toolchain-g++" >/dev/null || fail "$toolchain-g++ is missing"
  [[ -z $emulator ]] || command -v "${emulator%% *}" >/dev/null || fail "${emulator%% *} is missing"
done

# The cases: name | input (printf %b) | what the run meets. Every seed with
# the edge counts and the counts around the roll loop's boundaries; the
# long runs with fewer seeds. No clock seeds: they differ from run to run.
seeds=(1 -1 42 2147483647 -2147483648)
long_seeds=(42 -2147483648)
cases=()
add_counts() { # "seed..." count...
  local seed_list=$1 count seed
  shift
  for count; do
    for seed in $seed_list; do cases+=("rolls $count seed $seed|$count\n$seed\n|"); done
  done
}
c++ -std=c++17 -Wall -Wextra -Werror -I "$src/src" "$src/tests/cross/boundary_counts.cc" \
  -o "$out/boundary_counts" || fail "boundary_counts does not build"
boundary_text=$("$out/boundary_counts") || fail "boundary_counts failed"
mapfile -t boundary_counts <<<"$boundary_text"
add_counts "${seeds[*]}" 0 -1 -2147483648 1 35 36 37 "${boundary_counts[@]}"
add_counts "${long_seeds[*]}" 1000000 3000017
cases+=(
  "both answers on one line|36 1\n|"
  "CR LF line ends|36\r\n1\r\n|"
  "wrapped count 2^32 + 37|4294967333\n1\n|"
  "wrapped seed 2^32 + 42|100\n4294967338\n|"
  "dicefile.txt is a directory|36\n1\n|directory dicefile.txt"
  "statfile.txt is a directory|36\n1\n|directory statfile.txt"
  "roll log over the file size limit|10000\n1\n|file-size 20000"
  "report over the file size limit|36\n1\n|file-size 500"
  "both over the file size limit|1000\n1\n|file-size 200"
)

# build TOOLCHAIN TYPE: the program alone, statically linked.
build() {
  local dir="$out/$1-$2"
  echo "test-cross: building $1 ($2)"
  cmake -S "$src" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/$1.cmake" -DCMAKE_BUILD_TYPE="$2" \
    -DDICESTAT_WERROR=ON -DDICESTAT_TESTS=OFF -DDICESTAT_BENCH=OFF -DDICESTAT_CHART=OFF >"$dir.log" 2>&1 &&
    cmake --build "$dir" -j "$jobs" --target dicestat >>"$dir.log" 2>&1 ||
    { cat "$dir.log" >&2; fail "the $1 ($2) build failed"; }
}

# run_case DIR INPUT SETUP PROGRAM...: one run in DIR/work, then what it
# left: DIR/status, DIR/stdout, DIR/stderr, DIR/kinds (what each file
# name is) and the two files themselves.
run_case() {
  local dir=$1 input=$2 setup=$3 limit=() status=0 name
  shift 3
  rm -rf "$dir" && mkdir -p "$dir/work" || return 1
  case $setup in
  directory\ *) mkdir "$dir/work/${setup#directory }" ;;
  file-size\ *) limit=(prlimit --fsize="${setup#file-size }") ;;
  esac
  printf '%b' "$input" >"$dir/input"
  # A session of its own has no terminal, so the key wait returns at once.
  (cd "$dir/work" && setsid -w timeout "$run_seconds" "${limit[@]}" "$@" \
    <"$dir/input" >"$dir/stdout" 2>"$dir/stderr") || status=$?
  echo "$status" >"$dir/status"
  for name in dicefile.txt statfile.txt; do
    if [[ -d $dir/work/$name ]]; then
      echo "$name directory"
    elif [[ -f $dir/work/$name ]]; then
      echo "$name file"
      mv "$dir/work/$name" "$dir/$name"
    else
      echo "$name absent"
    fi
  done >"$dir/kinds"
  rm -rf "$dir/work"
}

# show_line FILE LINE BYTE: the line, or 60 bytes around BYTE when the line
# is long (the roll log is a single line); control bytes made visible.
show_line() {
  if (($(sed -n "$2{p;q}" "$1" | head -c 161 | wc -c) <= 160)); then
    sed -n "$2{p;q}" "$1" | cat -v
  else
    local from=$(($3 > 30 ? $3 - 30 : 1))
    echo "bytes $from to $((from + 59)): $(tail -c +"$from" "$1" | head -c 60 | cat -v)"
  fi
}

# compare REF_DIR DIR ARCH CASE: prints every part that differs, with the
# first differing line of it.
compare() {
  local ref=$1 dir=$2 arch=$3 name=$4 part differ=0 where line byte
  for part in status kinds stdout stderr dicefile.txt statfile.txt; do
    [[ -e $ref/$part || -e $dir/$part ]] || continue
    where=$(cmp "$ref/$part" "$dir/$part" 2>&1) && continue
    differ=1
    echo "MISMATCH $arch | $name | $part: ${where//"$out/runs/"/}"
    if [[ $where =~ line\ ([0-9]+) ]]; then
      line=${BASH_REMATCH[1]}
      [[ $where =~ byte\ ([0-9]+) ]] && byte=${BASH_REMATCH[1]} || byte=1
      echo "  $reference: $(show_line "$ref/$part" "$line" "$byte")"
      echo "  $arch: $(show_line "$dir/$part" "$line" "$byte")"
    fi
  done
  return "$differ"
}

start=$SECONDS
declare -A built
for target in "${targets[@]}"; do
  IFS='|' read -r _ toolchain type _ <<<"$target"
  [[ -n ${built[$toolchain-$type]:-} ]] && continue
  build "$toolchain" "$type"
  built[$toolchain-$type]=1
done

# check_target TARGET REFERENCE: runs every case with the target's build
# and, unless it is the reference itself, compares it with the reference's
# run, keeping only the runs that differ. Returns 1 when any case failed.
check_target() {
  local arch toolchain type emulator runner i name input setup dir failed=0
  IFS='|' read -r arch toolchain type emulator <<<"$1"
  read -ra runner <<<"$emulator"
  for i in "${!cases[@]}"; do
    IFS='|' read -r name input setup <<<"${cases[i]}"
    dir="$out/runs/$arch/$i"
    run_case "$dir" "$input" "$setup" "${runner[@]}" "$out/$toolchain-$type/dicestat" || return 1
    if [[ $arch == "$2" ]]; then
      (($(<"$dir/status") <= 1)) || { echo "REFERENCE $arch | $name: ended with $(<"$dir/status")"; failed=1; }
    elif compare "$out/runs/$2/$i" "$dir" "$arch" "$name"; then
      rm -rf "$dir"
    else
      failed=1
    fi
  done
  echo "test-cross: $arch: ${#cases[@]} cases, $([[ $failed == 0 ]] && echo passed || echo FAILED)"
  return "$failed"
}

rm -rf "$out/runs" && mkdir -p "$out/runs" || exit 1
reference=${targets[0]%%|*}
check_target "${targets[0]}" "$reference" || fail "the reference runs failed"
# The other targets side by side, $jobs at a time, each reporting in order.
pids=()
for target in "${targets[@]:1}"; do
  ((${#pids[@]} < jobs)) || wait -n
  check_target "$target" "$reference" >"$out/runs/${target%%|*}.log" 2>&1 &
  pids+=($!)
done
failures=0
for i in "${!pids[@]}"; do
  wait "${pids[i]}" || ((++failures))
  cat "$out/runs/$(cut -d'|' -f1 <<<"${targets[i + 1]}").log"
done
echo "test-cross: $((SECONDS - start)) s; runs that differ are kept in $out/runs"
((failures == 0))
