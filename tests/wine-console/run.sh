#!/usr/bin/env bash
# The Windows program at a real console: each case starts it under Wine in
# a detached tmux session of a fixed size, types at it with send-keys and
# judges it by the screen (capture-pane) and the cursor, never by the bytes
# the console writes, which Wine's console redraws as it likes. The files
# of each run are compared with those of the Linux program given the same
# answers through a pipe.
#
#   run.sh WINDOWS_EXE LINUX_PROGRAM   (WINEPREFIX set, its Wine started)
#
# A case with a reason in the table is an expected failure: it must fail
# (XFAIL). One that passes (XPASS) fails the run like a failure does, so
# that a Wine that mends the limit, or a program change that hides it, is
# seen and the table is brought up to date.
set -u
exe=$(realpath "$1") linux=$(realpath "$2")
: "${WINEPREFIX:?the Wine prefix to run in}"

readonly kCols=80 kRows=24
readonly kStartSeconds=60 # Wine's console start-up on a busy machine
readonly kStepSeconds=20  # any one thing the program must show or do
readonly kHeldSeconds=1   # how long a wait must hold before a key ends it
readonly kPoll=0.1
readonly kModeTries=10 # kHeldSeconds in kPoll steps
readonly kNoKeySeconds=10 # the redirected-input case: no key is ever seen

socket=dicestat-console-$$
work=$(mktemp -d "${TMPDIR:-/tmp}/wine-console.XXXXXX")
trap 'tmux -L "$socket" kill-server 2>/dev/null; rm -rf "$work"' EXIT

# Name | setup | stdin | answers for the Linux run | status | the problem
# an expected failure meets (the start of its message) and the reason, split
# by "~" | steps. Setup: "-", a directory named dicefile.txt or
# statfile.txt, or "clock" (a blank seed: the dice are compared with a run
# seeded with the report's Time value). Stdin: "tty", or a file of the
# answers. Steps, split by ";":
#   p=TEXT  the cursor stands right after TEXT on its row (a prompt, waiting)
#   s=TEXT  a row ends with TEXT
#   t=TEXT  type TEXT;  k=KEY  press a key (tmux names: Enter, C-c)
#   held    the program is still running after kHeldSeconds
#   quiet=TEXT  no row shows TEXT after kHeldSeconds
#   below=TEXT  after the end: the row under the one ending with TEXT is blank and the cursor
#           stands at its start (the key was not echoed)
readonly kDiceMessage="Can't open dice file"
readonly kStatMessage="Can't open stat file"
readonly kRolls="Enter number of rolls: "
readonly kSeed="Enter seed or blank for time: "
cases=$(
  cat <<EOF
prompts, then one answer a line|-|tty|36\n1\n|0||p=$kRolls;t=36;k=Enter;p=$kSeed;t=1;k=Enter
Enter alone keeps waiting|-|tty|\n\n5 7\n|0||p=$kRolls;k=Enter;k=Enter;quiet=$kSeed;t=5 7;k=Enter;s=$kSeed
both answers on one line|-|tty|5 7\n|0||p=$kRolls;t=5 7;k=Enter;s=$kSeed
abc does not wait for the seed|-|tty|abc\n|0||p=$kRolls;t=abc;k=Enter;s=$kSeed
a blank seed takes the clock|clock|tty|36\n\n|0||p=$kRolls;t=36;k=Enter;p=$kSeed;k=Enter
dice file cannot be created: message, wait, key not echoed|dicefile.txt|tty|3 1\n|1||p=$kRolls;t=3 1;k=Enter;s=$kDiceMessage;held;t=q;below=$kDiceMessage
stat file cannot be created: message, wait, key not echoed|statfile.txt|tty|3 1\n|1||p=$kRolls;t=3 1;k=Enter;s=$kStatMessage;held;t=q;below=$kStatMessage
a key typed ahead ends the wait|dicefile.txt|tty|3 1\n|1||p=$kRolls;t=3 1;k=Enter;t=x;s=$kDiceMessage;below=$kDiceMessage
Ctrl+C in the key wait is a key: status 1|dicefile.txt|tty|3 1\n|1|status 0, not 1~Wine ends the process with status 0 on Ctrl+C even with processed input off|p=$kRolls;t=3 1;k=Enter;s=$kDiceMessage;held;k=C-c;below=$kDiceMessage
a console key ends the wait while stdin is redirected|dicefile.txt|answers|3 1\n|1|did not end~Wine does not pass console keys to CONIN\$ while standard input is a file|s=$kDiceMessage;held;t=q;below=$kDiceMessage
EOF
)

t() { tmux -L "$socket" "$@"; }
now() { date +%s.%N; }
before() { awk -v d="$1" 'BEGIN { exit !(d > 0) }'; } # still before a deadline
deadline() { awk -v n="$(now)" -v s="$1" 'BEGIN { printf "%.3f", n + s }'; }
left() { awk -v d="$1" -v n="$(now)" 'BEGIN { printf "%.3f", d - n }'; }

cursor() { t display -p -t "$session" '#{cursor_x} #{cursor_y}'; }
screen() { t capture-pane -p -t "$session"; }
row() { screen | sed -n "$(($1 + 1))p"; }

# Polls `check` until it holds or `seconds` pass; false at the deadline.
poll() {
  local end
  end=$(deadline "$1")
  shift
  until "$@"; do
    before "$(left "$end")" || return 1
    sleep "$kPoll"
  done
}

at_prompt() {
  local x y line
  read -r x y < <(cursor)
  line=$(row "$y")
  [[ ${#line} -le $x && "${line}$(printf '%*s' $((x - ${#line})) '')" == *"$1" ]] || return 1
}
# The number of the last row that ends with `text` (rows come back without
# their trailing blanks), or nothing.
row_ending() {
  screen | awk -v want="$(sed 's/ *$//' <<<"$1")" \
    'substr($0, length($0) - length(want) + 1) == want { n = NR } END { if (n) print n }'
}
shows_row() { [[ -n $(row_ending "$1") ]]; }
ended() { [[ -e $ctl/done ]]; }

# The row under the one showing `text` is blank and holds the cursor.
blank_below() {
  local n x y
  n=$(row_ending "$1")
  [[ -n $n ]] || return 1
  read -r x y < <(cursor)
  [[ $x == 0 && $y == "$n" && -z "$(row "$n" | tr -d ' ')" ]]
}

problem=""
fail() { problem=${problem:-$1}; }

run_step() {
  local step=$1 bound=$kStepSeconds
  [[ $first_wait == 1 || $case_number == 0 ]] && bound=$kStartSeconds
  first_wait=0
  case $step in
  p=*) poll "$bound" at_prompt "${step#p=}" || fail "no prompt \"${step#p=}\" with the cursor after it" ;;
  s=*) poll "$bound" shows_row "${step#s=}" || fail "\"${step#s=}\" not on screen" ;;
  t=*) t send-keys -t "$session" -l -- "${step#t=}" ;;
  k=*) t send-keys -t "$session" "${step#k=}" ;;
  held) sleep "$kHeldSeconds" && ended && fail "did not wait" ;;
  quiet=*) sleep "$kHeldSeconds" && shows_row "${step#quiet=}" && fail "\"${step#quiet=}\" came unasked" ;;
  below=*) below_text=${step#below=} ;;
  esac
}

# The Linux program's files for the same answers, in $1.
linux_files() {
  mkdir -p "$1"
  (cd "$1" && printf "$2" | "$linux" >/dev/null)
}

mask_time() {
  sed 's/^Time: [0-9-]* /Time: N /' "$1"
}

# The files of the Windows run against the Linux program's. For a clock
# run, the report's Time value is the Linux run's seed, and the reports
# must agree but for the seed lines.
compare_files() {
  local name=$1 setup=$2 answers=$3 ref=$case_dir/linux
  [[ $setup == dicefile.txt || $setup == statfile.txt ]] && mkdir -p "$ref/$setup"
  if [[ $setup == clock ]]; then
    local time
    time=$(sed -n 's/^Time: \([0-9-]*\).*/\1/p' "$case_dir/run/statfile.txt" 2>/dev/null)
    [[ -n $time ]] || { fail "no Time line in the report"; return; }
    linux_files "$ref" "${answers%%\\n*}\n$time\n"
    cmp -s "$case_dir/run/dicefile.txt" "$ref/dicefile.txt" || fail "dicefile.txt differs from Linux's"
    cmp -s <(sed 1,3d "$case_dir/run/statfile.txt") <(sed 1,2d "$ref/statfile.txt") ||
      fail "statfile.txt differs from Linux's"
    return
  fi
  linux_files "$ref" "$answers"
  local f
  for f in dicefile.txt statfile.txt; do
    if [[ -f $ref/$f ]]; then
      # A seed that could not be read takes the clock in both runs, a
      # second or so apart: the Time values may differ, nothing else.
      cmp -s <(mask_time "$case_dir/run/$f") <(mask_time "$ref/$f") || fail "$f differs from Linux's"
    elif [[ -f $case_dir/run/$f ]]; then
      fail "$f written where Linux writes none"
    fi
  done
}

# The pane's shell: the terminal mode before and after, the status. A
# Ctrl+C at the terminal reaches the whole process group: the shell catches
# it (and so outlives it) while the program gets it as it would. Wine's
# console process puts the terminal mode back only after the program has
# gone, so the mode afterwards is read once it is back or kHeldSeconds on.
pane_script() {
  local input="" wine_exe
  wine_exe=$(printf '%q' "$exe")
  [[ $1 == answers ]] && input="<'$ctl/answers'"
  cat <<EOF
trap : INT
stty -g >'$ctl/stty-before'
WINEDEBUG=-all wine $wine_exe $input
echo \$? >'$ctl/status'
tries=0
while [ "\$(stty -g)" != "\$(cat '$ctl/stty-before')" ] && [ \$tries -lt $kModeTries ]; do
  sleep $kPoll; tries=\$((tries + 1))
done
stty -g >'$ctl/stty-after'
: >'$ctl/done'
exec sleep 3600
EOF
}

# One case: sets `problem` (empty when it passed).
run_case() {
  local name=$1 setup=$2 stdin=$3 answers=$4 status=$5 steps=$6
  problem="" below_text="" first_wait=1
  case_dir=$work/$case_number ctl=$work/$case_number/ctl session=case$case_number
  mkdir -p "$case_dir/run" "$ctl"
  [[ $setup == dicefile.txt || $setup == statfile.txt ]] && mkdir "$case_dir/run/$setup"
  printf "$answers" >"$ctl/answers"
  pane_script "$stdin" >"$ctl/pane.sh"
  t new-session -d -s "$session" -x $kCols -y $kRows -c "$case_dir/run" "sh '$ctl/pane.sh'"
  local step
  IFS=';' read -ra step_list <<<"$steps"
  for step in "${step_list[@]}"; do
    [[ -z $problem ]] || break
    run_step "$step"
  done
  local end_bound=$kStepSeconds
  [[ $expected == "did not end"* ]] && end_bound=$kNoKeySeconds
  if [[ -z $problem ]] && ! poll "$end_bound" ended; then
    fail "did not end"
  fi
  if [[ -z $problem ]]; then
    [[ $(cat "$ctl/status") == "$status" ]] || fail "status $(cat "$ctl/status"), not $status"
    [[ -n $below_text ]] && ! blank_below "$below_text" && fail "the key was echoed or the cursor moved"
    cmp -s "$ctl/stty-before" "$ctl/stty-after" || fail "terminal mode not put back"
    compare_files "$name" "$setup" "$answers"
  fi
  [[ -n $problem ]] && screen >"$work/screen-$case_number" 2>/dev/null
  t kill-session -t "$session" 2>/dev/null
}

# A new console's first key can wait for Wine's RPC service for many
# seconds when it is not running: restart the prefix's server and boot it
# so that the services run, then see one key through before the cases.
preflight() {
  wineserver -k 2>/dev/null
  timeout "$kStepSeconds" wineserver -w 2>/dev/null
  wineserver -p && wine wineboot </dev/null >/dev/null 2>&1
  case_number=0 expected=""
  run_case "preflight" - tty "1 1\n" 0 "p=$kRolls;t=1 1;k=Enter;s=$kSeed"
  [[ -z $problem ]]
}

started=$(now)
if ! preflight; then
  echo "wine-console: preflight failed: $problem" >&2
  cat "$work/screen-0" >&2
  exit 1
fi

run=0 passed=0 xfail=0 failed=0 case_number=0
# An expected failure must fail as its row says; failing otherwise is a
# plain failure.
while IFS='|' read -r name setup stdin answers status xfail_row steps; do
  case_number=$((case_number + 1)) run=$((run + 1))
  expected=${xfail_row%%~*} reason=${xfail_row#*~}
  case_started=$(now)
  run_case "$name" "$setup" "$stdin" "$answers" "$status" "$steps"
  took=$(awk -v s="$case_started" -v n="$(now)" 'BEGIN { printf "%.1f s", n - s }')
  if [[ -z $expected && -z $problem ]]; then
    passed=$((passed + 1)) && echo "PASS  $name ($took)"
  elif [[ -n $expected && $problem == "$expected"* ]]; then
    xfail=$((xfail + 1)) && echo "XFAIL $name: $problem, as expected: $reason ($took)"
  elif [[ -n $expected && -z $problem ]]; then
    failed=$((failed + 1)) && echo "XPASS $name: passes now, though $reason; update the table"
  else
    failed=$((failed + 1)) && echo "FAIL  $name: $problem ($took)"
    grep -v '^$' "$work/screen-$case_number" | sed 's/^/      | /'
  fi
done <<<"$cases"
seconds=$(awk -v s="$started" -v n="$(now)" 'BEGIN { printf "%.1f", n - s }')
echo "wine-console: $run cases, $passed passed, $xfail expected failures, $failed failed, ${seconds} s"
((failed == 0))
