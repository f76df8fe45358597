#!/usr/bin/env bash
# Runs a command with openbox managing the windows of the current X display, as on a desktop:
# with-openbox.sh COMMAND [ARGS...]
set -euo pipefail

command -v openbox > /dev/null || {
    echo "with-openbox: openbox is missing; scripts/setup.sh installs it" >&2
    exit 1
}

openbox --sm-disable > /dev/null 2>&1 &
wm=$!
trap 'kill "$wm" 2> /dev/null || true; wait "$wm" 2> /dev/null || true' EXIT

# openbox names itself on the root window once it manages the display.
started=no
for _ in $(seq 100); do
    if xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q "window id"; then
        started=yes
        break
    fi
    sleep 0.1
done
if [ "$started" != yes ]; then
    echo "with-openbox: openbox did not take over the display" >&2
    exit 1
fi

"$@"
