#!/bin/sh
# A flash tool whose output the test hands over one chunk at a time, so each
# chunk reaches the window as a notification of its own. It waits in
# $JCP_STEPS_DIR for step 1, 2, ... to appear as N.out or N.err, writes that
# file to standard output or standard error in one write, and goes on with the
# next; a file named "end" makes it leave "done" behind and exit.
dir="$JCP_STEPS_DIR"
step=1
while :; do
    if [ -e "$dir/$step.out" ]; then
        cat "$dir/$step.out"
        step=$((step + 1))
    elif [ -e "$dir/$step.err" ]; then
        cat "$dir/$step.err" >&2
        step=$((step + 1))
    elif [ -e "$dir/end" ]; then
        touch "$dir/done"
        exit 0
    else
        sleep 0.01
    fi
done
