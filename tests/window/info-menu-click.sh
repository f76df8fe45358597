#!/usr/bin/env bash
# The info menu as a person meets it: `echovane-host open` shows the editor through the bundle's
# VST3 view; real pointer clicks open the menu on the maker lettering, open the support page in
# the browser (a recording xdg-open stands in for it), show the About panel and close it again.
# What is on screen is read back from the window's pixels.
# Run on a display: info-menu-click.sh ECHOVANE_HOST BUNDLE TOLERATED_ASSERTIONS
set -euo pipefail

host=$1
bundle=$2
tolerated=$3
name=info-menu-click

source "$(dirname "$0")/host-session.sh"
require_tools xdotool xwininfo import convert

# The stand-in browser: records each address it is asked to open.
mkdir "$work/bin"
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >> "%s/opened.txt"\n' "$work" > "$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
touch "$work/opened.txt"

PATH="$work/bin:$PATH" start_host

for attempt in $(seq 100); do
    grep -q '^opened ' "$log" && break
    sleep 0.1
done

# The colour of one pixel of the window, as R,G,B.
pixel() {
    import -silent -window "$window" "$work/shot.png"
    convert "$work/shot.png" -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:
}

# Waits (bounded) for a pixel to satisfy a test on R, G and B (an awk condition).
expect_pixel() {
    local x=$1 y=$2 condition=$3 what=$4 attempt colour
    for attempt in $(seq 50); do
        colour=$(pixel "$x" "$y")
        if echo "$colour" | awk -F, "{ exit !($condition) }"; then
            echo "info-menu-click: $what ($colour at $x,$y)"
            return 0
        fi
        sleep 0.1
    done
    fail "expected $what at $x,$y, found $colour"
}

click() {
    xdotool mousemove --window "$window" "$1" "$2" click 1
}

menu_fill='$1 == 50 && $2 == 62 && $3 == 68'
not_menu_fill='!($1 == 50 && $2 == 62 && $3 == 68)'
# The About card: teal at alpha 0xCC over the dark editor.
about_card='$1 < 40 && $2 > 85 && $3 > 100'

# At 1000 x 480 a click at (150, 25) on the maker lettering opens an 85 x 89 menu there, four
# rows of 22 pixels; the pointer stays over the first row, which darkens, so the fourth row
# shows the menu's own colour.
expect_pixel 155 96 "$not_menu_fill" "no menu before the click"
click 150 25
expect_pixel 155 96 "$menu_fill" "the menu at the click point"

# Waits (bounded) for the stand-in browser to have been asked for `count` addresses.
expect_opened() {
    local count=$1 attempt
    for attempt in $(seq 100); do
        [ "$(wc -l < "$work/opened.txt")" -ge "$count" ] && break
        sleep 0.1
    done
    sleep 0.2
    [ "$(cat "$work/opened.txt")" = "$2" ] || fail "the browser was asked for '$(cat "$work/opened.txt")', not '$2'"
    echo "info-menu-click: the browser was asked for $(tail -n 1 "$work/opened.txt")"
}

# "Website", the first row, where the menu lies over the hotspot: the menu is in front, so the
# row takes the click, the page opens and the menu closes.
click 192 30
expect_opened 1 "https://www.kestrinstudio.example/"
expect_pixel 155 96 "$not_menu_fill" "the menu closed after the link"

# "Support", the second row.
click 150 25
expect_pixel 155 96 "$menu_fill" "the menu open again"
click 192 58
expect_opened 2 "https://www.kestrinstudio.example/
https://www.kestrinstudio.example/support"
expect_pixel 155 96 "$not_menu_fill" "the menu closed after the link"

# "About", the fourth row: the card in the middle of the editor; any click closes it.
click 150 25
expect_pixel 155 96 "$menu_fill" "the menu open again"
click 192 102
expect_pixel 500 55 "$about_card" "the About panel"
click 500 240
expect_pixel 500 55 "!($about_card)" "the About panel closed by the next click"

[ "$(wc -l < "$work/opened.txt")" -eq 2 ] || fail "unexpected browser launches: $(cat "$work/opened.txt")"

stop_host
check_juce_reports
echo "info-menu-click: passed"
