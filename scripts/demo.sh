#!/usr/bin/env bash
# The main job: set up, build the plug-in, install it where Linux hosts look for VST3 plug-ins,
# and show it working through our own command-line host.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
# Only the bundle and the host that shows it; the tests are scripts/test.sh's business.
scripts/build.sh build -- Echovane_VST3 echovane-host

bundle="build/Echovane_artefacts/Release/VST3/Kestrin Studio Echovane.vst3"
host=build/tools/echovane-host
install_dir="$HOME/.vst3"

mkdir -p "$install_dir"
rm -rf "$install_dir/Kestrin Studio Echovane.vst3"
cp -r "$bundle" "$install_dir/"
installed="$install_dir/Kestrin Studio Echovane.vst3"
echo "installed: $installed"
echo

"$host" info "$installed"

demo_dir=build/demo
mkdir -p "$demo_dir"
echo
# A click on every bar at 100 bpm through a dotted eighth-note delay with feedback.
"$host" render "$installed" --out "$demo_dir/echovane-demo.wav" --signal clicks --seconds 8 --bpm 100 \
    --set Sync=0.4 --set Dotted=1 --set Feedback=0.6 --set Mix=0.4 --set Dark=0.3
"$host" snapshot "$installed" --out "$demo_dir/editor-100.png"
echo
echo "demo audio:     $demo_dir/echovane-demo.wav"
echo "editor picture: $demo_dir/editor-100.png"
