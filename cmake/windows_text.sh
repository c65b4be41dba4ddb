#!/bin/sh
# windows_text.sh IN OUT: the text file IN with CR LF line ends, as Windows
# editors want them. A manual page (IN ending in .1) is first formatted by
# groff as plain ASCII: no bold or underline, no hyphenated words, and ^2
# and "sqrt" for the glyphs ASCII lacks. A groff warning fails it, since it means
# that text was lost.
set -eu
in=$1 out=$2
if [ "${in%.1}" != "$in" ]; then
  { printf '.char \\[S2] ^2\n.char \\[sr] sqrt\\ \n.lf 1 %s\n' "$in"; cat "$in"; } >"$out.man"
  warnings=$(groff -ww -man -Tascii -P-cbou -rHY=0 "$out.man" 2>&1 >"$out.plain")
  if [ -n "$warnings" ]; then
    printf '%s: %s\n' "$in" "$warnings" >&2
    exit 1
  fi
  sed 's/$/\r/' "$out.plain" >"$out"
  rm "$out.man" "$out.plain"
else
  sed 's/$/\r/' "$in" >"$out"
fi
