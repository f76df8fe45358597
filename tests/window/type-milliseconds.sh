#!/usr/bin/env bash
# Typed milliseconds as a person enters them: `echovane-host open` shows the editor through the
# bundle's VST3 view; a real pointer click flips the tempo lever to milliseconds mode, a click on
# the time read-out opens it for typing, real key presses enter 300 and Return; when the window
# closes the host must hold "TempoChanger" on and "MS" at 300 / 5000 = 0.06. A rejected text
# typed next must leave "MS" alone. Run on a display: type-milliseconds.sh ECHOVANE_HOST BUNDLE
set -euo pipefail

host=$1
bundle=$2

if ! command -v xdotool > /dev/null; then
    echo "type-milliseconds: xdotool is needed; scripts/setup.sh installs it" >&2
    exit 1
fi

log=$(mktemp)
pid=""
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2> /dev/null; then
        kill -KILL "$pid" 2> /dev/null || true
    fi
    rm -f "$log"
}
trap cleanup EXIT

fail() {
    echo "type-milliseconds: $*" >&2
    echo "--- echovane-host said:" >&2
    cat "$log" >&2
    exit 1
}

"$host" open "$bundle" --seconds 300 > "$log" 2>&1 &
pid=$!

window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Kestrin Studio Echovane$' | head -n 1) \
    || fail "no editor window appeared"

for attempt in $(seq 100); do
    grep -q '^opened 1000x480$' "$log" && break
    sleep 0.1
done
grep -q '^opened 1000x480$' "$log" || fail "the editor did not open at 1000x480"
sleep 0.5

# At 1000 x 480 the control row starts at y 50; in it the lever holder is (127, 198, 100, 100),
# the lever (157, 300, 37, 37) tilted -0.5 rad about (175.8, 312.2), so its middle shows at
# about (178, 318) of the editor, and the read-out is (152, 253, 50, 24).
xdotool mousemove --window "$window" 178 318 click 1

# The read-out turns editable on the TIME knob's next 100 ms tick.
sleep 0.5
xdotool mousemove --window "$window" 177 265 click 1
sleep 0.3

# The label selects its whole text when it opens: typing replaces it.
xdotool type --delay 50 "300"
xdotool key Return
sleep 0.5

# A text that is not accepted puts the milliseconds back and changes nothing.
xdotool mousemove --window "$window" 177 265 click 1
sleep 0.3
xdotool type --delay 50 "abc"
xdotool key Return
sleep 0.5

kill -TERM "$pid"
wait "$pid" || fail "echovane-host open did not close cleanly"
pid=""

parameter_value() {
    awk -v name="$1" '$1 ~ /^[0-9]+$/ && $4 == name { for (i = 1; i < NF; ++i) if ($i == "value") print $(i + 1) }' "$log"
}

tempo_changer=$(parameter_value TempoChanger)
ms=$(parameter_value MS)
close_to() {
    awk -v got="$1" -v want="$2" 'BEGIN { d = got - want; exit ! (got != "" && d < 1e-6 && d > -1e-6) }'
}

close_to "$tempo_changer" 1 || fail "TempoChanger is '$tempo_changer' after the lever click, expected 1"
close_to "$ms" 0.06 || fail "MS is '$ms' after typing 300, expected 0.06"
echo "type-milliseconds: passed (TempoChanger $tempo_changer, MS $ms)"
