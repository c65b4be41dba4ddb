#!/bin/sh
# Each manual page formats without a single groff warning and has its NAME.
if ! command -v groff >/dev/null 2>&1; then
  echo "groff not installed (Debian package groff-base); skipped"
  exit 77
fi
status=0
for page in "$@"; do
  warnings=$(groff -ww -man -Tutf8 -z "$page" 2>&1)
  if [ -n "$warnings" ]; then
    printf '%s:\n%s\n' "$page" "$warnings"
    status=1
  fi
  if ! groff -man -Tutf8 -P-bcu "$page" 2>/dev/null | grep -q '^NAME'; then
    echo "$page: no NAME section in the formatted page"
    status=1
  fi
done
exit $status
