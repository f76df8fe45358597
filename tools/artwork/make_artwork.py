"""Writes every drawn picture of Echovane as SVG.

- resources/pictures/*.svg: the vector pictures that the plug-in compiles in and JUCE draws. They
  use only what JUCE's SVG reader understands: paths, rects, circles, ellipses, lines, linear and
  radial gradients, opacity and strokes (no filters, masks, CSS or text).
- resources/sources/*.svg: the sources of the PNG pictures. These are rendered by rsvg-convert
  (scripts/render-artwork.sh) and may use Gaussian blur for their glow.

All lettering comes from the outlines of Montserrat SemiBold (make_lettering.py).

    python3 tools/artwork/make_artwork.py        # usually run by scripts/render-artwork.sh
"""

import math
import os

from make_lettering import Lettering, fmt

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
PICTURES = os.path.join(ROOT, "resources", "pictures")
SOURCES = os.path.join(ROOT, "resources", "sources")

BLUE = "#00F3FF"
GREEN = "#00FFDA"

font = Lettering()


def size(v):
    """A picture dimension, exact to the five decimals the editor's proportions are given in."""
    return ("%.5f" % v).rstrip("0").rstrip(".")


def svg(width, height, title, body, defs="", area=True):
    """An SVG document of the given size.

    With `area`, an invisible rectangle covers the whole view box first. JUCE measures an SVG
    drawable by the shapes it contains (getDrawableBounds, getWidth, and the placement in
    drawWithin), not by its view box; the rectangle makes that measure the full view box, so
    every picture is placed and sized as drawn here, gaps and margins included.
    """
    w, h = size(width), size(height)
    if area:
        body = '<rect x="0" y="0" width="%s" height="%s" fill="none"/>\n%s' % (w, h, body)
    out = ['<?xml version="1.0" encoding="UTF-8"?>',
           '<svg xmlns="http://www.w3.org/2000/svg" width="%s" height="%s" viewBox="0 0 %s %s">'
           % (w, h, w, h),
           "<title>%s</title>" % title]
    if defs:
        out.append("<defs>%s</defs>" % defs)
    out.append(body)
    out.append("</svg>")
    return "\n".join(out) + "\n"


def write(folder, name, text):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


def polar(cx, cy, r, degrees, ry=None):
    """Point at `degrees` clockwise from 12 o'clock (screen coordinates, y down)."""
    a = math.radians(degrees)
    return cx + r * math.sin(a), cy - (r if ry is None else ry) * math.cos(a)


def pt(p):
    return "%s %s" % (fmt(p[0]), fmt(p[1]))


# ---------------------------------------------------------------------------------------------
# Vector pictures (drawn by JUCE)
# ---------------------------------------------------------------------------------------------

def button_frame():
    w, h = 174, 71
    defs = ('<linearGradient id="face" x1="0" y1="0" x2="0" y2="%d" gradientUnits="userSpaceOnUse">'
            '<stop offset="0" stop-color="#0A3C46" stop-opacity="0.85"/>'
            '<stop offset="1" stop-color="#001A22" stop-opacity="0.85"/></linearGradient>'
            '<linearGradient id="edge" x1="0" y1="0" x2="0" y2="%d" gradientUnits="userSpaceOnUse">'
            '<stop offset="0" stop-color="%s"/>'
            '<stop offset="1" stop-color="%s" stop-opacity="0.55"/></linearGradient>' % (h, h, BLUE, BLUE))
    body = "\n".join([
        '<rect x="3" y="3" width="168" height="65" rx="11" ry="11" fill="none" stroke="%s" '
        'stroke-opacity="0.16" stroke-width="5.4"/>' % BLUE,
        '<rect x="3" y="3" width="168" height="65" rx="11" ry="11" fill="url(#face)" '
        'stroke="url(#edge)" stroke-width="3"/>',
        '<rect x="9" y="9" width="156" height="53" rx="7" ry="7" fill="none" stroke="%s" '
        'stroke-opacity="0.22" stroke-width="1"/>' % BLUE,
    ])
    return svg(w, h, "Rectangular button frame", body, defs)


def small_knob_cap():
    s, c = 110, 55
    defs = ('<radialGradient id="body" cx="46" cy="40" r="66" gradientUnits="userSpaceOnUse">'
            '<stop offset="0" stop-color="#1D5761"/><stop offset="0.6" stop-color="#0A2B33"/>'
            '<stop offset="1" stop-color="#02151A"/></radialGradient>'
            '<radialGradient id="face" cx="50" cy="46" r="46" gradientUnits="userSpaceOnUse">'
            '<stop offset="0" stop-color="#123F48"/><stop offset="1" stop-color="#051B21"/></radialGradient>'
            '<linearGradient id="rim" x1="0" y1="5" x2="0" y2="105" gradientUnits="userSpaceOnUse">'
            '<stop offset="0" stop-color="%s" stop-opacity="0.9"/>'
            '<stop offset="1" stop-color="%s" stop-opacity="0.15"/></linearGradient>' % (BLUE, BLUE))
    body = "\n".join([
        '<circle cx="%d" cy="%d" r="53" fill="#000000" fill-opacity="0.35"/>' % (c, c + 1),
        '<circle cx="%d" cy="%d" r="50" fill="url(#body)" stroke="url(#rim)" stroke-width="2"/>' % (c, c),
        '<circle cx="%d" cy="%d" r="39" fill="url(#face)" stroke="#000000" stroke-opacity="0.45" '
        'stroke-width="1.5"/>' % (c, c),
        # pointer mark at 12 o'clock: the cap turns, the mark shows where it points
        '<path d="M55 11L55 31" fill="none" stroke="%s" stroke-opacity="0.25" stroke-width="10" '
        'stroke-linecap="round"/>' % BLUE,
        '<path d="M55 11L55 31" fill="none" stroke="%s" stroke-width="5" stroke-linecap="round"/>' % BLUE,
        '<path d="M55 12.5L55 29.5" fill="none" stroke="#C8FFFF" stroke-width="1.6" stroke-linecap="round"/>',
    ])
    return svg(s, s, "Small knob cap, blue set", body, defs)


def small_knob_ring(colour, opacity, title):
    # An open ring whose gap at the bottom matches the value ring (210 degrees round to 162).
    s, cx, cy, r = 110, 55, 57, 49
    a, b = polar(cx, cy, r, 210), polar(cx, cy, r, 162)
    d = "M%s A%s %s 0 1 1 %s" % (pt(a), fmt(r), fmt(r), pt(b))
    body = ('<path d="%s" fill="none" stroke="%s" stroke-opacity="%s" stroke-width="11" '
            'stroke-linecap="round"/>' % (d, colour, opacity))
    return svg(s, s, title, body)


def big_knob_cap(colour, title):
    s = 94.25659
    c = s / 2
    defs = ('<radialGradient id="rim" cx="%s" cy="%s" r="52" gradientUnits="userSpaceOnUse">'
            '<stop offset="0" stop-color="#103A42"/><stop offset="1" stop-color="#03161B"/></radialGradient>'
            '<radialGradient id="face" cx="%s" cy="%s" r="34" gradientUnits="userSpaceOnUse">'
            '<stop offset="0" stop-color="#1B525C"/><stop offset="1" stop-color="#061E24"/></radialGradient>'
            % (fmt(c - 8), fmt(c - 10), fmt(c - 6), fmt(c - 8)))
    body = "\n".join([
        '<circle cx="%s" cy="%s" r="46.5" fill="url(#rim)" stroke="%s" stroke-opacity="0.55" '
        'stroke-width="1"/>' % (fmt(c), fmt(c), colour),
        # the groove that the value ring lies on
        '<circle cx="%s" cy="%s" r="35.2" fill="none" stroke="#00080A" stroke-opacity="0.8" '
        'stroke-width="12.6"/>' % (fmt(c), fmt(c)),
        '<circle cx="%s" cy="%s" r="28" fill="url(#face)" stroke="%s" stroke-opacity="0.5" '
        'stroke-width="1"/>' % (fmt(c), fmt(c), colour),
        # pointer mark, inside the value ring, and a dot on the rim outside it
        '<path d="M%s %s L%s %s" fill="none" stroke="%s" stroke-opacity="0.25" stroke-width="8" '
        'stroke-linecap="round"/>' % (fmt(c), fmt(c - 24), fmt(c), fmt(c - 9), colour),
        '<path d="M%s %s L%s %s" fill="none" stroke="%s" stroke-width="4" stroke-linecap="round"/>'
        % (fmt(c), fmt(c - 24), fmt(c), fmt(c - 9), colour),
        '<circle cx="%s" cy="%s" r="1.7" fill="%s"/>' % (fmt(c), fmt(c - 44), colour),
    ])
    return svg(s, s, title, body, defs)


def close_mark():
    w, h = 16.84, 15.76
    d = "M2.2 2.2L14.64 13.56M14.64 2.2L2.2 13.56"
    body = ('<path d="%s" fill="none" stroke="#5B5B5B" stroke-width="2.6" stroke-linecap="round"/>' % d)
    return svg(w, h, "Close mark: grey cross", body)


def maker_lettering():
    w, h = 217.14545, 18.04744
    box = (0.6, 0.6, w - 1.2, h - 1.2)
    # letter-spaced so that the line fills the whole box at the full height
    d, _ = font.fit("Kestrin Studio", box, tracking=font.tracking_to_fill("Kestrin Studio", box))
    return svg(w, h, "Maker lettering: Kestrin Studio", '<path d="%s" fill="%s"/>' % (d, BLUE))


def tempo_lever():
    s = 48
    # The editor turns the whole picture half a radian about a pivot below it, which carries the
    # base's lower corners further down; the base stands high enough that, tilted either way,
    # nothing of it reaches the holder's bottom edge.
    defs = ('<radialGradient id="ball" cx="22" cy="7" r="8" gradientUnits="userSpaceOnUse">'
            '<stop offset="0" stop-color="#D8FFFF"/><stop offset="0.45" stop-color="%s"/>'
            '<stop offset="1" stop-color="#00A6B2"/></radialGradient>'
            '<linearGradient id="base" x1="0" y1="29" x2="0" y2="41" gradientUnits="userSpaceOnUse">'
            '<stop offset="0" stop-color="#0D3A43"/><stop offset="1" stop-color="#031519"/></linearGradient>'
            % BLUE)
    body = "\n".join([
        '<path d="M24 38L24 12" fill="none" stroke="%s" stroke-opacity="0.22" stroke-width="8" '
        'stroke-linecap="round"/>' % BLUE,
        '<path d="M24 38L24 12" fill="none" stroke="%s" stroke-width="3.4" stroke-linecap="round"/>' % BLUE,
        '<path d="M11 41A13 12 0 0 1 37 41Z" fill="url(#base)" stroke="%s" stroke-width="1.6" '
        'stroke-linejoin="round"/>' % BLUE,
        '<circle cx="24" cy="9.5" r="8.5" fill="%s" fill-opacity="0.2"/>' % BLUE,
        '<circle cx="24" cy="9.5" r="6.2" fill="url(#ball)"/>',
    ])
    return svg(s, s, "Tempo lever, blue set", body, defs)


def time_readout_backdrop():
    w, h = 50.71268, 27.48673
    defs = ('<linearGradient id="edge" x1="0" y1="0" x2="%s" y2="%s" gradientUnits="userSpaceOnUse">'
            '<stop offset="0" stop-color="%s"/><stop offset="0.5" stop-color="#007887"/>'
            '<stop offset="1" stop-color="%s"/></linearGradient>' % (fmt(w), fmt(h), BLUE, BLUE))
    body = ('<rect x="1" y="1" width="%s" height="%s" rx="6" ry="6" fill="#001625" stroke="url(#edge)" '
            'stroke-width="1.5"/>' % (fmt(w - 2), fmt(h - 2)))
    return svg(w, h, "Time read-out backdrop", body, defs)


def big_knob_frame(height, colour, title):
    """Frame of a big knob. The picture is stretched into a square, so round shapes are drawn as
    ellipses that turn round again on screen; positions are fractions (u, v) of width and height."""
    W, H = 320.16, height
    X = lambda u: u * W
    Y = lambda v: v * H
    cu, cv = 0.5, 0.465  # where the knob's centre lands in its frame
    defs = ('<linearGradient id="panel" x1="0" y1="0" x2="0" y2="%s" gradientUnits="userSpaceOnUse">'
            '<stop offset="0" stop-color="%s" stop-opacity="0.10"/>'
            '<stop offset="1" stop-color="%s" stop-opacity="0.02"/></linearGradient>'
            '<linearGradient id="edge" x1="0" y1="0" x2="0" y2="%s" gradientUnits="userSpaceOnUse">'
            '<stop offset="0" stop-color="%s" stop-opacity="0.95"/>'
            '<stop offset="0.5" stop-color="%s" stop-opacity="0.35"/>'
            '<stop offset="1" stop-color="%s" stop-opacity="0.8"/></linearGradient>'
            '<radialGradient id="halo" cx="%s" cy="%s" r="%s" gradientUnits="userSpaceOnUse" '
            'gradientTransform="translate(%s %s) scale(1 %s) translate(%s %s)">'
            '<stop offset="0" stop-color="#000000" stop-opacity="0.55"/>'
            '<stop offset="0.62" stop-color="#000000" stop-opacity="0.45"/>'
            '<stop offset="1" stop-color="#000000" stop-opacity="0"/></radialGradient>'
            % (fmt(H), colour, colour, fmt(H), colour, colour, colour,
               fmt(X(cu)), fmt(Y(cv)), fmt(0.26 * W),
               fmt(X(cu)), fmt(Y(cv)), fmt(H / W), fmt(-X(cu)), fmt(-Y(cv))))
    parts = []
    # panel: faint glow layers under a gradient outline
    x0, y0, x1, y1 = X(0.025), Y(0.025), X(0.975), Y(0.975)
    rx, ry = 0.07 * W, 0.07 * H  # equal on screen once stretched to a square
    rect = 'x="%s" y="%s" width="%s" height="%s" rx="%s" ry="%s"' % (
        fmt(x0), fmt(y0), fmt(x1 - x0), fmt(y1 - y0), fmt(rx), fmt(ry))
    for width, op in ((9, 0.05), (5.5, 0.09), (3, 0.16)):
        parts.append('<rect %s fill="none" stroke="%s" stroke-opacity="%s" stroke-width="%s"/>'
                     % (rect, colour, op, width))
    parts.append('<rect %s fill="url(#panel)" stroke="url(#edge)" stroke-width="1.4"/>' % rect)
    # inner hairline
    m = 0.045
    parts.append('<rect x="%s" y="%s" width="%s" height="%s" rx="%s" ry="%s" fill="none" stroke="%s" '
                 'stroke-opacity="0.18" stroke-width="0.8"/>'
                 % (fmt(X(m)), fmt(Y(m)), fmt(X(1 - 2 * m)), fmt(Y(1 - 2 * m)),
                    fmt(0.055 * W), fmt(0.055 * H), colour))
    # caption rules on either side of the caption (the caption text is drawn by the editor)
    cy = Y(0.125)
    for a, b in ((0.12, 0.34), (0.66, 0.88)):
        parts.append('<path d="M%s %sL%s %s" fill="none" stroke="%s" stroke-opacity="0.55" '
                     'stroke-width="1.3" stroke-linecap="round"/>' % (fmt(X(a)), fmt(cy), fmt(X(b)), fmt(cy), colour))
    for u in (0.12, 0.88):
        parts.append('<ellipse cx="%s" cy="%s" rx="%s" ry="%s" fill="%s" fill-opacity="0.8"/>'
                     % (fmt(X(u)), fmt(cy), fmt(2.2), fmt(2.2 * H / W), colour))
    # dark halo behind the knob
    parts.append('<ellipse cx="%s" cy="%s" rx="%s" ry="%s" fill="url(#halo)"/>'
                 % (fmt(X(cu)), fmt(Y(cv)), fmt(0.26 * W), fmt(0.26 * H)))
    # scale: a tick every 10 degrees, longer every 45
    ticks_minor, ticks_major = [], []
    for i in range(72):
        deg = i * 5
        if deg % 45 == 0:
            r0, r1, bucket = 0.188, 0.222, ticks_major
        elif deg % 10 == 0:
            r0, r1, bucket = 0.193, 0.210, ticks_minor
        else:
            continue
        a = math.radians(deg)
        p0 = (X(cu + r0 * math.sin(a)), Y(cv - r0 * math.cos(a)))
        p1 = (X(cu + r1 * math.sin(a)), Y(cv - r1 * math.cos(a)))
        bucket.append("M%sL%s" % (pt(p0), pt(p1)))
    parts.append('<path d="%s" fill="none" stroke="%s" stroke-opacity="0.45" stroke-width="1.2" '
                 'stroke-linecap="round"/>' % ("".join(ticks_minor), colour))
    parts.append('<path d="%s" fill="none" stroke="%s" stroke-opacity="0.22" stroke-width="5" '
                 'stroke-linecap="round"/>' % ("".join(ticks_major), colour))
    parts.append('<path d="%s" fill="none" stroke="%s" stroke-width="2.2" stroke-linecap="round"/>'
                 % ("".join(ticks_major), colour))
    # outer guide circle
    parts.append('<ellipse cx="%s" cy="%s" rx="%s" ry="%s" fill="none" stroke="%s" stroke-opacity="0.28" '
                 'stroke-width="1"/>' % (fmt(X(cu)), fmt(Y(cv)), fmt(0.236 * W), fmt(0.236 * H), colour))
    # base rule under the knob
    by = Y(0.80)
    parts.append('<path d="M%s %sL%s %s" fill="none" stroke="%s" stroke-opacity="0.35" stroke-width="1.2" '
                 'stroke-linecap="round"/>' % (fmt(X(0.30)), fmt(by), fmt(X(0.70)), fmt(by), colour))
    parts.append('<ellipse cx="%s" cy="%s" rx="2.4" ry="%s" fill="%s" fill-opacity="0.7"/>'
                 % (fmt(X(0.5)), fmt(by), fmt(2.4 * H / W), colour))
    return svg(W, H, title, "\n".join(parts), defs)


# ---------------------------------------------------------------------------------------------
# Sources of the PNG pictures (rendered by rsvg-convert; blur allowed)
# ---------------------------------------------------------------------------------------------

def blur(fid, sd, w, h):
    # The filter region is the whole picture in user space: a region relative to the bounding box
    # would be empty for a straight horizontal stroke, which would then vanish.
    return ('<filter id="%s" filterUnits="userSpaceOnUse" x="0" y="0" width="%d" height="%d">'
            '<feGaussianBlur stdDeviation="%s"/></filter>' % (fid, w, h, sd))


def glow_bar(spans, title):
    w, h, y = 996, 70, 35
    defs = blur("wide", 5, w, h) + blur("soft", 1.6, w, h)
    d = ""
    for a, b in spans:
        # the rounded ends reach the given fractions of the width
        d += "M%s %sL%s %s" % (fmt(a * w + 3), y, fmt(b * w - 3), y)
    body = "\n".join([
        '<path d="%s" fill="none" stroke="%s" stroke-width="11" stroke-linecap="round" '
        'stroke-opacity="0.55" filter="url(#wide)"/>' % (d, BLUE),
        '<path d="%s" fill="none" stroke="%s" stroke-width="6" stroke-linecap="round" '
        'stroke-opacity="0.9" filter="url(#soft)"/>' % (d, BLUE),
        '<path d="%s" fill="none" stroke="%s" stroke-width="4" stroke-linecap="round"/>' % (d, BLUE),
        '<path d="%s" fill="none" stroke="#C6FFFF" stroke-width="1.5" stroke-linecap="round"/>' % d,
    ])
    return svg(w, h, title, body, defs)


def product_logo():
    w, h = 212, 85
    # Shown 216 x 57 at the editor's 100 % size: about 1.52 times wider than tall against the
    # picture, so the lettering is drawn narrower by that factor and looks right on screen.
    stretch = 1 / 1.52
    defs = (blur("glow", 3.2, w, h) + blur("textglow", 2.2, w, h) +
            '<linearGradient id="plate" x1="0" y1="8" x2="0" y2="66" gradientUnits="userSpaceOnUse">'
            '<stop offset="0" stop-color="#07444D"/><stop offset="1" stop-color="#011A1F"/></linearGradient>')
    plate = 'x="10" y="8" width="192" height="57" rx="15" ry="22"'
    d, _ = font.fit("Echovane", (30, 20, 152, 33), stretch=stretch, tracking=25)
    body = "\n".join([
        '<rect %s fill="none" stroke="%s" stroke-width="6" filter="url(#glow)"/>' % (plate, BLUE),
        '<rect %s fill="url(#plate)" fill-opacity="0.94" stroke="%s" stroke-width="2.2"/>' % (plate, BLUE),
        '<rect x="15" y="13" width="182" height="47" rx="11" ry="17" fill="none" stroke="%s" '
        'stroke-opacity="0.25" stroke-width="1"/>' % BLUE,
        '<path d="%s" fill="%s" fill-opacity="0.8" filter="url(#textglow)"/>' % (d, BLUE),
        '<path d="%s" fill="#E9FFFF"/>' % d,
    ])
    return svg(w, h, "Product logo: Echovane", body, defs)


def editor_background():
    w, h = 1012, 482
    defs = ('<linearGradient id="ground" x1="0" y1="0" x2="%d" y2="%d" gradientUnits="userSpaceOnUse">'
            '<stop offset="0" stop-color="#0C3C44"/><stop offset="0.5" stop-color="#06262C"/>'
            '<stop offset="1" stop-color="#021417"/></linearGradient>'
            '<radialGradient id="light" cx="430" cy="150" r="520" gradientUnits="userSpaceOnUse">'
            '<stop offset="0" stop-color="#14606B" stop-opacity="0.35"/>'
            '<stop offset="1" stop-color="#14606B" stop-opacity="0"/></radialGradient>' % (w, h)
            + blur("frameglow", 2.5, w, h) + blur("arcglow", 3, w, h))
    frame = 'x="4" y="4" width="1004" height="474" rx="12" ry="12"'
    arcs = []
    for cx in (-400, w + 400):
        for r, op, sw in ((560, 0.16, 2), (535, 0.08, 1.2)):
            arcs.append('<circle cx="%d" cy="241" r="%d" fill="none" stroke="%s" stroke-opacity="%s" '
                        'stroke-width="%s"/>' % (cx, r, BLUE, op, sw))
    glowarcs = ['<circle cx="%d" cy="241" r="560" fill="none" stroke="%s" stroke-opacity="0.12" '
                'stroke-width="6" filter="url(#arcglow)"/>' % (cx, BLUE) for cx in (-400, w + 400)]
    body = "\n".join([
        '<rect width="%d" height="%d" fill="url(#ground)"/>' % (w, h),
        '<rect width="%d" height="%d" fill="url(#light)"/>' % (w, h),
        *glowarcs, *arcs,
        '<rect %s fill="none" stroke="%s" stroke-opacity="0.7" stroke-width="4" filter="url(#frameglow)"/>'
        % (frame, BLUE),
        '<rect %s fill="none" stroke="%s" stroke-opacity="0.85" stroke-width="1.3"/>' % (frame, BLUE),
    ])
    return svg(w, h, "Editor background", body, defs)


def size_changer_plate():
    w, h = 140, 80
    defs = (blur("glow", 3, w, h) +
            '<linearGradient id="face" x1="0" y1="10" x2="0" y2="70" gradientUnits="userSpaceOnUse">'
            '<stop offset="0" stop-color="#33393D"/><stop offset="1" stop-color="#1B1F22"/></linearGradient>')
    plate = 'x="10" y="10" width="120" height="60" rx="13" ry="13"'
    body = "\n".join([
        '<rect %s fill="none" stroke="%s" stroke-width="5" filter="url(#glow)"/>' % (plate, BLUE),
        '<rect %s fill="url(#face)" stroke="%s" stroke-width="2.2"/>' % (plate, BLUE),
        '<rect x="15" y="15" width="110" height="50" rx="9" ry="9" fill="none" stroke="#FFFFFF" '
        'stroke-opacity="0.06" stroke-width="1"/>',
    ])
    return svg(w, h, "Size-changer plate", body, defs)


def maker_logo():
    w, h = 600, 606
    white = "#FFFFFF"
    cx, cy, r = 300, 200, 150
    # the monogram: a ring with the initial inside
    k, _ = font.fit("K", (cx - 62, cy - 82, 124, 164))
    # the name in capitals, in two lines
    name1, _ = font.fit("KESTRIN", (40, 388, 520, 84), tracking=60)
    name2, _ = font.fit("STUDIO", (130, 518, 340, 48), tracking=260)
    rule = "M40 494L272 494M328 494L560 494"
    body = "\n".join([
        '<circle cx="%d" cy="%d" r="%d" fill="none" stroke="%s" stroke-width="18"/>' % (cx, cy, r, white),
        '<circle cx="%d" cy="%d" r="%d" fill="none" stroke="%s" stroke-width="5"/>' % (cx, cy, r - 26, white),
        '<path d="%s" fill="%s"/>' % (k, white),
        '<path d="%s" fill="%s"/>' % (name1, white),
        '<path d="%s" fill="none" stroke="%s" stroke-width="5" stroke-linecap="round"/>' % (rule, white),
        '<circle cx="300" cy="494" r="7" fill="%s"/>' % white,
        '<path d="%s" fill="%s"/>' % (name2, white),
    ])
    return svg(w, h, "Kestrin Studio maker logo", body)


def main():
    pictures = {
        "button_frame.svg": button_frame(),
        "small_knob_cap.svg": small_knob_cap(),
        "small_knob_ring.svg": small_knob_ring("#000000", "0.3", "Small knob outer ring, blue set"),
        "small_knob_ring_green.svg": small_knob_ring("#00241E", "0.3", "Small knob outer ring, green set"),
        "big_knob_cap.svg": big_knob_cap(BLUE, "Big knob cap, blue set"),
        "big_knob_cap_green.svg": big_knob_cap(GREEN, "Big knob cap, green set"),
        "close_mark.svg": close_mark(),
        "maker_lettering.svg": maker_lettering(),
        "tempo_lever.svg": tempo_lever(),
        "time_readout_backdrop.svg": time_readout_backdrop(),
        "big_knob_frame.svg": big_knob_frame(285.36, BLUE, "Big knob frame, blue set"),
        "big_knob_frame_green.svg": big_knob_frame(285.84, GREEN, "Big knob frame, green set"),
    }
    sources = {
        "product_logo.svg": product_logo(),
        "editor_background.svg": editor_background(),
        "glow_bar_bottom.svg": glow_bar([(0.025, 0.68), (0.86, 0.96)], "Bottom glow bar"),
        "glow_bar_top.svg": glow_bar([(0.03, 0.105), (0.305, 0.80), (0.90, 0.97)], "Top glow bar"),
        "maker_logo.svg": maker_logo(),
        "size_changer_plate.svg": size_changer_plate(),
    }
    for name, text in pictures.items():
        write(PICTURES, name, text)
    for name, text in sources.items():
        write(SOURCES, name, text)


if __name__ == "__main__":
    main()
