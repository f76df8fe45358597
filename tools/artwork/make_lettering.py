"""Lettering as outlines, taken from the glyphs of the compiled-in Montserrat SemiBold.

Every word that appears in a picture is turned into SVG path data here, so no picture depends on
a font being installed where it is shown or rendered.

    from make_lettering import Lettering
    font = Lettering()
    d, box = font.path("Kestrin Studio", x=0, baseline=18, size=20)

Run on its own it prints the outline of a text for a quick look:

    python3 tools/artwork/make_lettering.py "Echovane" 40
"""

import os
import sys

from fontTools.pens.basePen import BasePen
from fontTools.pens.boundsPen import BoundsPen
from fontTools.pens.transformPen import TransformPen
from fontTools.ttLib import TTFont

HERE = os.path.dirname(os.path.abspath(__file__))
FONT_PATH = os.path.join(HERE, "..", "..", "resources", "pictures", "Montserrat-SemiBold.ttf")


def fmt(v):
    """A coordinate with at most three decimals and no trailing zeros."""
    s = "%.3f" % v
    s = s.rstrip("0").rstrip(".")
    return "0" if s in ("-0", "") else s


class _PathPen(BasePen):
    """Writes absolute SVG path commands (M, L, Q, C, Z)."""

    def __init__(self, glyphSet=None):
        super().__init__(glyphSet)
        self.parts = []

    def _moveTo(self, p):
        self.parts.append("M%s %s" % (fmt(p[0]), fmt(p[1])))

    def _lineTo(self, p):
        self.parts.append("L%s %s" % (fmt(p[0]), fmt(p[1])))

    def _qCurveToOne(self, p1, p2):
        self.parts.append("Q%s %s %s %s" % (fmt(p1[0]), fmt(p1[1]), fmt(p2[0]), fmt(p2[1])))

    def _curveToOne(self, p1, p2, p3):
        self.parts.append("C%s %s %s %s %s %s" % tuple(fmt(v) for v in (*p1, *p2, *p3)))

    def _closePath(self):
        self.parts.append("Z")

    def _endPath(self):
        pass

    def d(self):
        return "".join(self.parts)


class Lettering:
    def __init__(self, path=FONT_PATH):
        self.font = TTFont(path)
        self.glyphs = self.font.getGlyphSet()
        self.cmap = self.font.getBestCmap()
        self.upm = self.font["head"].unitsPerEm
        self.capHeight = self.font["OS/2"].sCapHeight
        self._pairs = self._read_kerning()

    # Pair kerning from the GPOS 'kern' feature (pair adjustment, formats 1 and 2).
    def _read_kerning(self):
        pairs = []
        if "GPOS" not in self.font:
            return pairs
        table = self.font["GPOS"].table
        indices = set()
        for rec in table.FeatureList.FeatureRecord:
            if rec.FeatureTag == "kern":
                indices.update(rec.Feature.LookupListIndex)
        for i in sorted(indices):
            lookup = table.LookupList.Lookup[i]
            for sub in lookup.SubTable:
                kind = lookup.LookupType
                if kind == 9:  # extension: the real subtable is wrapped
                    kind, sub = sub.ExtensionLookupType, sub.ExtSubTable
                if kind == 2:
                    pairs.append(sub)
        return pairs

    def kerning(self, left, right):
        for sub in self._pairs:
            cov = sub.Coverage.glyphs
            if left not in cov:
                continue
            if sub.Format == 1:
                pset = sub.PairSet[cov.index(left)]
                for rec in pset.PairValueRecord:
                    if rec.SecondGlyph == right:
                        v = rec.Value1
                        return getattr(v, "XAdvance", 0) or 0 if v else 0
            elif sub.Format == 2:
                c1 = sub.ClassDef1.classDefs.get(left, 0)
                c2 = sub.ClassDef2.classDefs.get(right, 0)
                rec = sub.Class1Record[c1].Class2Record[c2]
                v = rec.Value1
                adv = (getattr(v, "XAdvance", 0) or 0) if v else 0
                if adv:
                    return adv
                # a zero in one subtable may be refined by a later one; keep looking
        return 0

    def layout(self, text, tracking=0.0):
        """Glyph names and pen positions in font units; tracking is in font units per gap."""
        names = [self.cmap[ord(ch)] for ch in text]
        hmtx = self.font["hmtx"]
        placed, x = [], 0.0
        for i, name in enumerate(names):
            placed.append((name, x))
            x += hmtx[name][0]
            if i + 1 < len(names):
                x += self.kerning(name, names[i + 1]) + tracking
        return placed, x

    def _draw(self, pen, text, x, baseline, size, stretch, tracking):
        scale = size / self.upm
        placed, _ = self.layout(text, tracking)
        for name, gx in placed:
            t = (scale * stretch, 0, 0, -scale, x + gx * scale * stretch, baseline)
            self.glyphs[name].draw(TransformPen(pen, t))

    def path(self, text, x=0.0, baseline=0.0, size=100.0, stretch=1.0, tracking=0.0):
        """SVG path data of `text` at font size `size` (pixels per em), its baseline at `baseline`.

        `stretch` scales horizontally only (1 keeps the font's proportions). Returns the path data
        and the outline's bounding box (xMin, yMin, xMax, yMax) in the same coordinates.
        """
        pen = _PathPen(self.glyphs)
        self._draw(pen, text, x, baseline, size, stretch, tracking)
        bp = BoundsPen(self.glyphs)
        self._draw(bp, text, x, baseline, size, stretch, tracking)
        return pen.d(), bp.bounds

    def tracking_to_fill(self, text, box, stretch=1.0):
        """The tracking (font units) that gives `text` the width-to-height ratio of `box`."""
        target = box[2] / box[3]

        def ratio(t):
            _, b = self.path(text, 0, 0, self.upm, stretch, t)
            return (b[2] - b[0]) / (b[3] - b[1])

        lo, hi = -200.0, 2000.0
        for _ in range(60):
            mid = (lo + hi) / 2
            lo, hi = (mid, hi) if ratio(mid) < target else (lo, mid)
        return (lo + hi) / 2

    def fit(self, text, box, stretch=1.0, tracking=0.0, align="centre"):
        """Path data of `text` scaled so that its outline fits inside box = (x, y, w, h).

        The outline keeps the given horizontal stretch; it is as large as the box allows and
        centred in it (or left-aligned with align="left").
        """
        bx, by, bw, bh = box
        _, b = self.path(text, 0, 0, self.upm, stretch, tracking)
        w, h = b[2] - b[0], b[3] - b[1]
        k = min(bw / w, bh / h)
        size = self.upm * k
        ox = bx - b[0] * k + ((bw - w * k) / 2 if align == "centre" else 0)
        oy = by - b[1] * k + (bh - h * k) / 2
        return self.path(text, ox, oy, size, stretch, tracking)


if __name__ == "__main__":
    text = sys.argv[1] if len(sys.argv) > 1 else "Kestrin Studio"
    size = float(sys.argv[2]) if len(sys.argv) > 2 else 40.0
    d, b = Lettering().path(text, 0, size, size)
    w, h = b[2] - b[0], b[3] - b[1]
    print('<svg xmlns="http://www.w3.org/2000/svg" width="%s" height="%s" viewBox="%s %s %s %s">'
          '<path d="%s"/></svg>' % (fmt(w), fmt(h), fmt(b[0]), fmt(b[1]), fmt(w), fmt(h), d))
