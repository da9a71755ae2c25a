#!/bin/sh
# Runs one Windows program under Wine for CTest. Its output goes through a
# file rather than a pipe: Wine's services inherit the pipe and would keep
# CTest waiting long after the program has ended. CR LF becomes LF.
out=$(mktemp "${TMPDIR:-/tmp}/velmoria-wine.XXXXXX") || exit 1
wine "$@" >"$out" 2>&1 </dev/null
status=$?
tr -d '\r' <"$out"
rm -f "$out"
exit $status
