#!/usr/bin/env bash
# Runs a command on a private virtual X display: xvfb-session.sh COMMAND [ARGS...]
#
# A bare X server has no window manager, and so none of the atoms a window manager would have
# created; JUCE's X11 code takes WM_PROTOCOLS and WM_STATE for granted and fails without them.
# They are created here once, and -noreset keeps them when those first clients disconnect.
set -euo pipefail

if [ "${1:-}" = "--inside" ]; then
    shift
    for atom in WM_PROTOCOLS WM_TAKE_FOCUS WM_DELETE_WINDOW _NET_WM_PING WM_CHANGE_STATE WM_STATE \
        _NET_WM_WINDOW_TYPE _NET_WM_WINDOW_TYPE_NORMAL _NET_WM_STATE _NET_WM_STATE_HIDDEN; do
        xprop -root -f "$atom" 8s -set "$atom" "echovane"
    done

    # JUCE opens the X client libraries itself and closes them again at shut-down, so when a
    # sanitizer build looks for leaks at exit, whatever those libraries still cached looks
    # unreachable. Kept loaded from the start, they stay visible to LeakSanitizer, which then
    # sees through them to anything that really leaked.
    libraries=""
    for library in libX11.so.6 libXext.so.6 libXcursor.so.1 libXinerama.so.1 libXrender.so.1 libXrandr.so.2; do
        # awk reads to the end: leaving early would kill ldconfig with SIGPIPE, fatal under pipefail.
        path=$(ldconfig -p | awk -v name="$library" '$1 == name && ! found { print $NF; found = 1 }')
        if [ -n "$path" ]; then
            libraries="${libraries:+$libraries:}$path"
        fi
    done
    export LD_PRELOAD="$libraries${LD_PRELOAD:+:$LD_PRELOAD}"
    export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0"
    exec "$@"
fi

for tool in xvfb-run xprop; do
    if ! command -v "$tool" > /dev/null; then
        echo "xvfb-session: '$tool' is missing; scripts/setup.sh installs it (packages xvfb, x11-utils)" >&2
        exit 1
    fi
done

exec xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" "$0" --inside "$@"
