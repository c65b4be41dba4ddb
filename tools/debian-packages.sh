#!/bin/sh
# The Debian packages each make target needs, in one place: the Makefile
# calls this before a target builds anything, and so CI gets the same.
#
# tools/debian-packages.sh PURPOSE         install what PURPOSE lacks
# tools/debian-packages.sh --list PURPOSE  print its packages
#
# Installing asks dpkg once which packages are there, and calls apt-get
# only for the missing ones: as root, or through sudo (which asks for the
# password at the terminal). When neither can, it prints the command to
# run and fails. Without dpkg and apt-get (another distribution) it does
# nothing, and the build says what it lacks.

# Purposes that build on another include its packages.
packages() {
  case $1 in
    run) echo g++ make cmake ;;
    # Both programs, which is what `make install` builds: dicestat-chart
    # needs the Boost.Math headers.
    install) echo "$(packages run) libboost-math-dev" ;;
    # The full build (tests and dicestat-chart), and the tools the tests
    # run: the clock faked in named zones, the manual pages checked and
    # looked up, the SVG checked.
    test) echo "$(packages run) libgtest-dev libboost-math-dev faketime tzdata groff-base man-db libxml2-utils" ;;
    # A Linux build for the end-to-end tests, the cross compiler, Wine,
    # the test framework's sources, and tmux for the console cases.
    windows) echo "$(packages test) g++-mingw-w64-x86-64-posix wine wine64 googletest tmux" ;;
    # Cross compilers and qemu-user to run what they build.
    cross) echo "$(packages run) qemu-user g++-i686-linux-gnu g++-aarch64-linux-gnu g++-s390x-linux-gnu" ;;
    # clang with libFuzzer; the build includes dicestat-chart.
    fuzz) echo "$(packages run) libboost-math-dev clang libclang-rt-14-dev" ;;
    # dpkg-shlibdeps works out the package's dependencies.
    package) echo "$(packages test) dpkg-dev" ;;
    format) echo clang-format git ;;
    # The chart drawn by headless Chromium, the font the picture names, and
    # Python's imaging library to read the screenshots' pixels.
    picture) echo "$(packages test) chromium fonts-dejavu-core python3 python3-pil" ;;
  esac
}

list=
if [ "$1" = --list ]; then
  list=1
  shift
fi
wanted=$(packages "$1")
if [ $# -ne 1 ] || [ -z "$wanted" ]; then
  echo "usage: $0 [--list] run|install|test|windows|cross|fuzz|package|format|picture" >&2
  exit 2
fi
if [ -n "$list" ]; then
  echo "$wanted"
  exit 0
fi
command -v dpkg-query >/dev/null 2>&1 && command -v apt-get >/dev/null 2>&1 || exit 0

# "ii ": selected for installation, installed, no error.
installed=" $(dpkg-query -W -f='${db:Status-Abbrev}${Package}\n' $wanted 2>/dev/null |
  sed -n 's/^ii //p' | tr '\n' ' ')"
missing=
for p in $wanted; do
  case $installed in *" $p "*) ;; *) missing="$missing $p" ;; esac
done
[ -z "$missing" ] && exit 0

fix="apt-get update && apt-get install -y --no-install-recommends$missing"
if [ "$(id -u)" = 0 ]; then
  as=
elif command -v sudo >/dev/null 2>&1; then
  as=sudo
else
  echo "Missing Debian packages; as root, run: $fix" >&2
  exit 1
fi
echo "Installing the missing Debian packages:$missing"
# Standard input is the program's (answers on a pipe); apt-get gets none.
if ! { $as env DEBIAN_FRONTEND=noninteractive apt-get update &&
  $as env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing; } </dev/null; then
  echo "Could not install the missing Debian packages; as root, run: $fix" >&2
  exit 1
fi
