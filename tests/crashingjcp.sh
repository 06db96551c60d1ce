#!/bin/sh
# A flash tool that dies by a signal halfway: it records its arguments the way
# the stand-in does (plain arguments only), prints a line and crashes.
if [ -n "$JCP_SIM_RECORD" ]; then
    line='['
    separator=''
    for argument in "$@"; do
        line="$line$separator\"$argument\""
        separator=','
    done
    printf '%s]\n' "$line" >> "$JCP_SIM_RECORD"
fi
echo "partial output"
kill -SEGV $$
