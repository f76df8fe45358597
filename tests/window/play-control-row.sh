#!/usr/bin/env bash
# The control row as a person plays it, through the bundle's VST3 view in `echovane-host open`
# with a real pointer and real key presses. First TRIPLET, DOTTED and BYPASS are clicked: the
# host must end with DOTTED alone on and BYPASS on. Then the tempo lever is flipped to
# milliseconds mode (which clears DOTTED), TRIPLET is clicked there (inert), the time read-out is
# clicked open and 300 typed with Return, then "abc" (rejected): the host must end with
# "TempoChanger" on, both variants off and "MS" at 300 / 5000 = 0.06.
# Run on a display: play-control-row.sh ECHOVANE_HOST BUNDLE TOLERATED_ASSERTIONS
set -euo pipefail

host=$1
bundle=$2
tolerated=$3
name=play-control-row

source "$(dirname "$0")/host-session.sh"
require_tools xdotool

# Opens the editor in a window and waits until it shows at 1000 x 480.
open_editor() {
    start_host

    for attempt in $(seq 100); do
        grep -q '^opened 1000x480$' "$log" && break
        sleep 0.1
    done
    grep -q '^opened 1000x480$' "$log" || fail "the editor did not open at 1000x480"
    sleep 0.5
}

click() {
    xdotool mousemove --window "$window" "$1" "$2" click 1
    sleep 0.3
}

parameter_value() {
    awk -v name="$1" '$1 ~ /^[0-9]+$/ && $4 == name { for (i = 1; i < NF; ++i) if ($i == "value") { print $(i + 1); exit } }' "$log"
}

close_to() {
    awk -v got="$1" -v want="$2" 'BEGIN { d = got - want; exit ! (got != "" && d < 1e-6 && d > -1e-6) }'
}

expect_parameter() {
    local value
    value=$(parameter_value "$1")
    close_to "$value" "$2" || fail "$1 is '$value' $3, expected $2"
}

# At 1000 x 480 the control row starts at y 50. In the row: TRIPLET (119, 298, 60, 24), DOTTED
# (179, 298, 60, 24), BYPASS (783, 101, 74, 30), the lever holder (127, 198, 100, 100) with the
# read-out at (25, 5, 50, 24) in it and the lever at (30, 52, 37, 37), tilted -0.5 rad about
# (175.8, 312.2) of the editor, so the lever's middle shows at about (178, 318).
triplet=(149 360)
dotted=(209 360)
bypass=(820 166)
lever=(178 318)
read_out=(177 265)

# The toggles: DOTTED turns TRIPLET off again; BYPASS works on its own.
open_editor
click "${triplet[@]}"
click "${dotted[@]}"
click "${bypass[@]}"
stop_host
expect_parameter Triplet 0 "after TRIPLET then DOTTED"
expect_parameter Dotted 1 "after TRIPLET then DOTTED"
expect_parameter Bypass 1 "after a click on BYPASS"

# The lever: milliseconds mode clears DOTTED, and TRIPLET is inert there.
open_editor
click "${lever[@]}"
click "${triplet[@]}"

# The read-out turns editable on the TIME knob's next 100 ms tick; it selects its whole text
# when it opens, so typing replaces it.
sleep 0.3
click "${read_out[@]}"
xdotool type --delay 50 "300"
xdotool key Return
sleep 0.5

# A text that is not accepted puts the milliseconds back and changes nothing.
click "${read_out[@]}"
xdotool type --delay 50 "abc"
xdotool key Return
sleep 0.5
stop_host

expect_parameter TempoChanger 1 "after the lever click"
expect_parameter Dotted 0 "after the change of mode"
expect_parameter Triplet 0 "after a click on TRIPLET in milliseconds mode"
expect_parameter MS 0.06 "after typing 300"
check_juce_reports
echo "play-control-row: passed"
