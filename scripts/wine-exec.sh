#!/bin/sh
# Runs one Windows program under Wine for CTest. Its output goes through a
# file rather than a pipe: Wine's services inherit the pipe and would keep
# CTest waiting long after the program has ended. CR LF becomes LF.
#
# A program that starts just as the previous one's wineserver shuts down can
# lose its connection before it runs ("wine client error"); that start, and
# only that, is tried again.
out=$(mktemp "${TMPDIR:-/tmp}/velmoria-wine.XXXXXX") || exit 1
for attempt in 1 2 3; do
    wine "$@" >"$out" 2>&1 </dev/null
    status=$?
    if [ $status -eq 0 ] || ! grep -q "^wine client error" "$out"; then break; fi
    sleep 1
done
tr -d '\r' <"$out"
rm -f "$out"
exit $status
