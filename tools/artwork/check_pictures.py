"""Checks the compiled-in pictures against the sizes the editor code relies on.

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

SVGS = {
    "button_frame.svg": ("174", "71"),
    "small_knob_cap.svg": ("110", "110"),
    "small_knob_ring.svg": ("110", "110"),
    "small_knob_ring_green.svg": ("110", "110"),
    "big_knob_cap.svg": ("94.25659", "94.25659"),
    "big_knob_cap_green.svg": ("94.25659", "94.25659"),
    "close_mark.svg": ("16.84", "15.76"),
    "maker_lettering.svg": ("217.14545", "18.04744"),
    "tempo_lever.svg": ("48", "48"),
    "time_readout_backdrop.svg": ("50.71268", "27.48673"),
    "big_knob_frame.svg": ("320.16", "285.36"),
    "big_knob_frame_green.svg": ("320.16", "285.84"),
}

PNGS = {
    "product_logo.png": (212, 85, 6),
    "editor_background.png": (1012, 482, 6),
    "glow_bar_bottom.png": (996, 70, 6),
    "glow_bar_top.png": (996, 70, 6),
    "maker_logo.png": (600, 606, 4),
    "size_changer_plate.png": (140, 80, 6),
}

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
    for name, (w, h) in SVGS.items():
        check_svg(name, w, h, problems)
    for name, (w, h, ct) in PNGS.items():
        check_png(name, w, h, ct, problems)
    if not os.path.isfile(os.path.join(PICTURES, "Montserrat-SemiBold.ttf")):
        problems.append("Montserrat-SemiBold.ttf is missing")
    for p in problems:
        print("problem:", p)
    print("%d pictures checked, %d problems" % (len(SVGS) + len(PNGS), len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
