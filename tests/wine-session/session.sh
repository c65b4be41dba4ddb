#!/usr/bin/env bash
# Wine made whole before the Windows tests run the program, and ended after
# them.   session.sh start|stop|end   (WINEPREFIX set)
#
# A run under a file size limit passes the limit on to all that Wine starts
# for it, and what Wine writes on its first use then fails: a server that
# the run starts crashes when it saves the registry; a new or outdated
# prefix is left half made; the session's processes (services.exe and the
# rest, started by the first program a new server sees) carry the limit,
# and keep that program's standard output and error open for as long as
# they live, so that a reader waits for its end in vain; and fontconfig's
# caches, written by any Wine process that finds none (in
# /var/cache/fontconfig as root, else in ~/.cache), fail with "write cache"
# on standard error. `start` does all of that first, with no limit and no
# timeout of the tests': the prefix made or brought up to date, a persistent
# server, the session's processes, the font caches, with Wine's output in
# a log beside the prefix.
#
# Test processes run in parallel (ctest -j) share the prefix: each `start`
# is counted and each `stop` takes one off; the last `stop` ends the server
# if a `start` started it, and leaves one that something else started
# (`make test-windows` before its tests, or a developer). A process that
# dies between the two leaves its count behind, and with it the server,
# until `end`: it ends the server and every Wine process in the prefix,
# whatever the count (`make test-windows` does, before and after its
# tests).
set -u
: "${WINEPREFIX:?the Wine prefix to run in}"
export WINEPREFIX=${WINEPREFIX%/} WINEDEBUG=${WINEDEBUG:--all}
verb=${1:-}
[[ $# == 1 && $verb =~ ^(start|stop|end)$ ]] || {
  echo "usage: $0 start|stop|end" >&2
  exit 2
}

# The count and whether a `start` started the server ("users owned"), in a
# file that is also the lock: each verb runs alone.
dir=$WINEPREFIX-session
log=$dir/wine.log
mkdir -p "$WINEPREFIX" "$dir" || exit 1
state=$dir/state
exec 9<>"$state"
flock 9 || exit 1
users=0 owned=0
read -r users owned <"$state"
[[ $users =~ ^[0-9]+$ && $owned =~ ^[01]$ ]] || users=0 owned=0
save() { echo "$users $owned" >"$state"; }

# Nothing that Wine starts may hold the lock or the caller's output: a
# server or session process that lives on would hold them until it ends.
wine_quietly() { "$@" </dev/null >>"$log" 2>&1 9>&-; }

end_server() {
  wine_quietly wineserver -k
  wine_quietly wineserver -w
  users=0 owned=0
}

case $verb in
start)
  if [[ $(ulimit -f) != unlimited ]] && ! ulimit -f unlimited 2>/dev/null; then
    echo "$0: started with a file size limit ($(ulimit -f) blocks) that it cannot lift" >&2
    exit 1
  fi
  # Status 0: no server ran and this one is ours; 2: one runs already.
  wine_quietly wineserver -p
  case $? in
  0) users=0 owned=1 ;;
  2) ;;
  *)
    echo "$0: wineserver -p failed; $log:" >&2
    tail -n 20 "$log" >&2
    exit 1
    ;;
  esac
  # The first program a server sees makes or updates the prefix and starts
  # the session; any program writes the font caches it finds missing. One
  # `start` under this server has done that already.
  if ((users == 0)) && ! wine_quietly wine cmd.exe /c exit 0; then
    echo "$0: Wine did not start in $WINEPREFIX; $log:" >&2
    tail -n 20 "$log" >&2
    ((owned)) && end_server
    save
    exit 1
  fi
  users=$((users + 1))
  ;;
stop)
  ((users > 0)) && users=$((users - 1))
  ((users == 0 && owned)) && end_server
  ;;
end) end_server ;;
esac
save
