#!/usr/bin/env bash
# Regenerates the drawn pictures of Echovane and renders the PNG ones.
#
#   scripts/render-artwork.sh            # writes resources/pictures/ from tools/artwork and resources/sources
#   scripts/render-artwork.sh --no-svg   # only renders the PNGs from resources/sources/*.svg as they are
#
# Needs Debian's python3-fonttools, librsvg2-bin (rsvg-convert) and imagemagick (convert).
# The rendered PNGs are committed, so building the plug-in needs none of these.
# Running it again gives byte-identical files.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
src="$root/resources/sources"
out="$root/resources/pictures"
python="${PYTHON:-/usr/bin/python3}"

for tool in rsvg-convert convert; do
    command -v "$tool" >/dev/null || { echo "render-artwork: $tool is missing (apt-get install librsvg2-bin imagemagick)" >&2; exit 1; }
done

if [[ "${1:-}" != "--no-svg" ]]; then
    "$python" -c "import fontTools" 2>/dev/null \
        || { echo "render-artwork: $python has no fontTools (apt-get install python3-fonttools)" >&2; exit 1; }
    "$python" "$root/tools/artwork/make_artwork.py"
fi

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

# Every PNG row of the picture table: name, pixel size and kind (rgba or ga).
while read -r file width height kind; do
    [[ -z "$file" || "$file" == \#* || "$file" != *.png ]] && continue
    name=${file%.png}
    rsvg-convert --width "$width" --height "$height" --format png "$src/$name.svg" -o "$tmp/$name.png"
    case "$kind" in
        rgba) colour=(-define png:color-type=6) ;;
        ga)   colour=(-colorspace Gray -define png:color-type=4) ;;
        *)    echo "render-artwork: $file: unknown kind '$kind'" >&2; exit 1 ;;
    esac
    # -strip and the excluded chunks keep dates and tool names out, so reruns give the same bytes
    convert "$tmp/$name.png" "${colour[@]}" -strip -define png:exclude-chunks=date,time,tEXt,zTXt,iTXt \
        -define png:compression-level=9 "PNG:$out/$name.png"
    echo "rendered $name.png (${width}x${height}, $kind)"
done < "$root/resources/picture-sizes.txt"
