"""Checks the compiled-in pictures against the sizes the editor code relies on, as listed in
resources/picture-sizes.txt.

    python3 tools/artwork/check_pictures.py      # exits 1 and names each problem found

For every SVG: width, height and view box as listed, a title, only elements and attributes that
JUCE's SVG reader draws (no filters, masks, CSS or text), and an invisible rectangle over the whole
view box, which is what makes JUCE measure the picture at its full size. For every PNG: the pixel
size and the PNG colour type (6 = colour with alpha, 4 = grey with alpha).
"""

import os
import struct
import sys
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
PICTURES = os.path.normpath(os.path.join(HERE, "..", "..", "resources", "pictures"))
NS = "{http://www.w3.org/2000/svg}"

SIZES = os.path.normpath(os.path.join(HERE, "..", "..", "resources", "picture-sizes.txt"))
COLOUR_TYPES = {"rgba": 6, "ga": 4}


def read_sizes():
    """The picture table: {file: (width, height, kind)}, widths and heights as written."""
    sizes = {}
    with open(SIZES, encoding="utf-8") as f:
        for line in f:
            fields = line.split("#", 1)[0].split()
            if fields:
                name, width, height, kind = fields
                sizes[name] = (width, height, kind)
    return sizes


ALLOWED = {"svg", "title", "defs", "g", "path", "rect", "circle", "ellipse", "line", "polyline",
           "polygon", "linearGradient", "radialGradient", "stop"}
FORBIDDEN_ATTRIBUTES = {"filter", "mask", "class", "style", "clip-path"}


def check_svg(name, width, height, problems):
    root = ET.parse(os.path.join(PICTURES, name)).getroot()
    if root.get("width") != width or root.get("height") != height:
        problems.append("%s: size %s x %s, expected %s x %s"
                        % (name, root.get("width"), root.get("height"), width, height))
    if root.get("viewBox") != "0 0 %s %s" % (width, height):
        problems.append("%s: viewBox %r" % (name, root.get("viewBox")))
    title = root.find(NS + "title")
    if title is None or not (title.text or "").strip():
        problems.append("%s: no title" % name)
    for el in root.iter():
        tag = el.tag.replace(NS, "")
        if tag not in ALLOWED:
            problems.append("%s: element <%s> is not drawn by JUCE" % (name, tag))
        for attr in FORBIDDEN_ATTRIBUTES & set(el.attrib):
            problems.append("%s: attribute %s on <%s>" % (name, attr, tag))
    area = [el for el in root if el.tag == NS + "rect"
            and el.get("x") == "0" and el.get("y") == "0"
            and el.get("width") == width and el.get("height") == height]
    if not area:
        problems.append("%s: no rectangle over the whole view box" % name)


def check_png(name, width, height, colour_type, problems):
    with open(os.path.join(PICTURES, name), "rb") as f:
        head = f.read(26)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        problems.append("%s: not a PNG" % name)
        return
    w, h, _, ct = struct.unpack(">IIBB", head[16:26])
    if (w, h, ct) != (width, height, colour_type):
        problems.append("%s: %d x %d colour type %d, expected %d x %d colour type %d"
                        % (name, w, h, ct, width, height, colour_type))


def main():
    problems = []
    sizes = read_sizes()
    for name, (w, h, kind) in sizes.items():
        if name.endswith(".svg") and kind == "svg":
            check_svg(name, w, h, problems)
        elif name.endswith(".png") and kind in COLOUR_TYPES:
            check_png(name, int(w), int(h), COLOUR_TYPES[kind], problems)
        else:
            problems.append("%s: kind %s does not fit the file" % (name, kind))
    on_disk = {n for n in os.listdir(PICTURES) if n.endswith((".svg", ".png"))}
    for name in sorted(on_disk - set(sizes)):
        problems.append("%s: compiled in but not in %s" % (name, os.path.basename(SIZES)))
    if not os.path.isfile(os.path.join(PICTURES, "Montserrat-SemiBold.ttf")):
        problems.append("Montserrat-SemiBold.ttf is missing")
    for p in problems:
        print("problem:", p)
    print("%d pictures checked, %d problems" % (len(sizes), len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
