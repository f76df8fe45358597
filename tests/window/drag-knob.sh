#!/usr/bin/env bash
# A knob turned by a person: `echovane-host open` shows the editor through the bundle's VST3
# view; a real pointer presses the FEED knob, drags it 40 pixels up and lets go. The host must end
# up with Feedback at its default 0.22 plus 40 x 0.03 rad over the knob's 312-degree sweep (0.44),
# which `open` prints when it closes. Run on a display: drag-knob.sh ECHOVANE_HOST BUNDLE TOLERATED_ASSERTIONS
set -euo pipefail

host=$1
bundle=$2
tolerated=$3
name=drag-knob

source "$(dirname "$0")/host-session.sh"
require_tools xdotool

start_host

# Wait until the plug-in's view has its size, so the knob is where the layout puts it.
for attempt in $(seq 100); do
    eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^(WIDTH|HEIGHT)=')"
    [ "${WIDTH}x${HEIGHT}" = "1000x480" ] && break
    sleep 0.1
done
[ "${WIDTH}x${HEIGHT}" = "1000x480" ] || fail "window is ${WIDTH}x${HEIGHT}"
sleep 0.5

# FEED's middle at 1000 x 480: its group at (284, 88) in the editor, the knob square 16 px in and
# 28 px down, 97 px wide.
x=$((284 + 16 + 48))
y=$((88 + 28 + 48))

xdotool mousemove --window "$window" "$x" "$y"
sleep 0.2
xdotool mousedown 1
sleep 0.1
for step in $(seq 1 40); do
    xdotool mousemove --window "$window" "$x" $((y - step))
    sleep 0.01
done
sleep 0.1
xdotool mouseup 1
sleep 0.5

stop_host

value=$(awk '$1 == "parameter" && $2 == "Feedback" { print $3 }' "$log")
[ -n "$value" ] || fail "the host reported no Feedback value"

# 0.22 + 40 x 0.03 / 5.4454 = 0.4404; the parameter keeps 0.01 steps.
if ! awk -v v="$value" 'BEGIN { exit !(v >= 0.435 && v <= 0.445) }'; then
    fail "Feedback is $value after dragging 40 px up from 0.22; expected 0.44"
fi

# The other knobs stayed where they were.
for knob in Balance Width Drive Dark Bright; do
    grep -q "^parameter $knob " "$log" || fail "no value for $knob"
done
[ "$(awk '$1 == "parameter" && $2 == "Balance" { print $3 }' "$log")" = "0.5000" ] || fail "Balance moved"

check_juce_reports
echo "drag-knob: Feedback went from 0.22 to $value"
