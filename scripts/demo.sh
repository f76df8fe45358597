#!/usr/bin/env bash
# The main job: set up, build the plug-in, install it where Linux hosts look for VST3 plug-ins,
# and show it working through our own command-line host.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/build.sh build

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
