#!/usr/bin/env bash
# The editor as a person meets it: `echovane-host open` shows it through the bundle's VST3 view
# in a desktop window; a real pointer click on the size changer must grow the window to the
# 150 % step, a window resize must reach the plug-in's own view, and the next click must step on
# from the stored step. Run on a display: open-and-click.sh ECHOVANE_HOST BUNDLE TOLERATED_ASSERTIONS
set -euo pipefail

host=$1
bundle=$2
tolerated=$3
name=open-and-click

source "$(dirname "$0")/host-session.sh"
require_tools xdotool xwininfo

start_host

window_size() {
    local WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^(WIDTH|HEIGHT)=')"
    echo "${WIDTH}x${HEIGHT}"
}

# Every X window inside ours (JUCE's embedding window and the plug-in's own view) bigger than
# JUCE's 1x1 helper window, as WxH, one a line.
embedded_sizes() {
    xwininfo -tree -id "$window" | grep -E '^ +0x' | grep -oE ' [0-9]+x[0-9]+\+' | tr -d ' +' | grep -v '^1x1$' || true
}

# Waits (bounded) for the window and everything embedded in it to reach the size.
expect_size() {
    local want=$1 attempt
    for attempt in $(seq 100); do
        if [ "$(window_size)" = "$want" ] && [ "$(embedded_sizes | sort -u)" = "$want" ] \
            && [ "$(embedded_sizes | wc -l)" -ge 2 ]; then
            echo "open-and-click: window and plug-in view are $want"
            return 0
        fi
        sleep 0.1
    done
    fail "expected $want, window is $(window_size), embedded: $(embedded_sizes | tr '\n' ' ')"
}

# The size changer's middle at editor size W x H: x from 0.7935 W, width 0.09 W, y from
# 0.005 H, height 4/7 of its width.
click_size_changer() {
    local w=$1 h=$2
    local x=$(((7935 * w / 10000) + (9 * w / 200)))
    local y=$(((5 * h / 1000) + (9 * w / 100) * 4 / 14))
    xdotool mousemove --window "$window" "$x" "$y" click 1
}

expect_size 1000x480

click_size_changer 1000 480
expect_size 1500x720

xdotool windowsize "$window" 1200 600
expect_size 1200x600

# At the 150 % step, a click goes on to 80 % whatever size the window was given meanwhile.
click_size_changer 1200 600
expect_size 800x384

stop_host

grep -q '^opened 1000x480$' "$log" || fail "the host did not report the opening size"
grep -q '^closed at 800x384$' "$log" || fail "the host did not report the closing size"
check_juce_reports
echo "open-and-click: passed"
