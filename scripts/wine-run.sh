#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest. Wine's output goes to a file first: a Wine helper
# process started behind the program can keep inherited pipes open, and CTest would then wait for
# the end of the output long after the program itself has ended.
out="$(mktemp)"
wine "$@" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
rm -f "$out"
exit $rc
