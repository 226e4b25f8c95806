"""Drawing helpers for the skin pictures: antialiased shape masks, gradients, text and the
three PNG colour formats the launcher's resources use (RGB, RGBA, palette with tRNS)."""
import os
import random

from PIL import Image, ImageDraw, ImageFilter, ImageFont

CJK_FONT = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc"
SERIF_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf"

# The colour the login window keys out; palette pictures give it to their transparent entry so
# that they look right whether they are alpha-blended or colour-keyed.
KEY = (255, 128, 255)

SS = 4  # supersampling factor of the shape masks


class Pen:
    """ImageDraw on a supersampled mask, taking coordinates in output pixels."""

    def __init__(self, draw, ss):
        self.d = draw
        self.ss = ss

    def _p(self, pts):
        return [(x * self.ss, y * self.ss) for x, y in pts]

    def _b(self, box):
        return [v * self.ss for v in box]

    def rect(self, box, fill=255):
        self.d.rectangle(self._b(box), fill=fill)

    def rrect(self, box, r, fill=255):
        self.d.rounded_rectangle(self._b(box), radius=r * self.ss, fill=fill)

    def ellipse(self, box, fill=255):
        self.d.ellipse(self._b(box), fill=fill)

    def circle(self, cx, cy, r, fill=255):
        self.ellipse((cx - r, cy - r, cx + r, cy + r), fill)

    def ring(self, cx, cy, r, width, fill=255):
        self.circle(cx, cy, r, fill)
        self.circle(cx, cy, r - width, 0)

    def polygon(self, pts, fill=255):
        self.d.polygon(self._p(pts), fill=fill)

    def line(self, pts, width, fill=255):
        # round caps and joins keep thin strokes even
        sp = self._p(pts)
        w = width * self.ss
        self.d.line(sp, fill=fill, width=max(1, round(w)), joint="curve")
        for x, y in (sp[0], sp[-1]):
            self.d.ellipse((x - w / 2, y - w / 2, x + w / 2, y + w / 2), fill=fill)


def mask(size, fn, ss=SS):
    """An antialiased coverage mask: fn(pen) draws at ss times the size, then it is box-filtered."""
    w, h = size
    m = Image.new("L", (w * ss, h * ss), 0)
    fn(Pen(ImageDraw.Draw(m), ss))
    return m.resize((w, h), Image.BOX)


def solid(size, colour):
    return Image.new("RGB", size, colour[:3])


def lerp(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def gradient(size, stops, vertical=True):
    """A linear gradient through (position 0..1, colour) stops."""
    w, h = size
    n = h if vertical else w
    line = Image.new("RGB", (1, n) if vertical else (n, 1))
    px = line.load()
    for i in range(n):
        t = i / max(1, n - 1)
        for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
            if p0 <= t <= p1:
                px[(0, i) if vertical else (i, 0)] = lerp(c0, c1, (t - p0) / max(1e-9, p1 - p0))
                break
    return line.resize(size, Image.NEAREST)


def paint(base, m, fill, opacity=1.0, at=(0, 0)):
    """Composites fill (a colour or an RGB image of the mask's size) through mask m onto base."""
    if isinstance(fill, tuple):
        fill = solid(m.size, fill)
    layer = fill.convert("RGBA")
    a = m if opacity >= 1.0 else m.point(lambda v: round(v * opacity))
    layer.putalpha(a)
    if base.mode == "RGBA":
        base.alpha_composite(layer, at)
    else:
        base.paste(layer, at, layer)


def glow(m, radius, opacity):
    """A soft halo around a mask."""
    g = m.filter(ImageFilter.GaussianBlur(radius))
    return g.point(lambda v: min(255, round(v * opacity)))


def font(size, path=CJK_FONT, index=0):
    return ImageFont.truetype(path, size, index=index)


def text_mask(size, text, fnt, centre=None, origin=None):
    """The mask of a text, centred on centre (x, y) or with its ink box at origin."""
    m = Image.new("L", size, 0)
    d = ImageDraw.Draw(m)
    l, t, r, b = d.textbbox((0, 0), text, font=fnt)
    if centre is not None:
        x = centre[0] - (l + r) / 2
        y = centre[1] - (t + b) / 2
    else:
        x, y = origin[0] - l, origin[1] - t
    d.text((x, y), text, font=fnt, fill=255)
    return m


def spaced_text_mask(size, text, fnt, centre, spacing):
    """Like text_mask, with extra pixels between the characters (for short CJK captions)."""
    m = Image.new("L", size, 0)
    d = ImageDraw.Draw(m)
    widths = [d.textlength(c, font=fnt) for c in text]
    total = sum(widths) + spacing * (len(text) - 1)
    _, t, _, b = d.textbbox((0, 0), text, font=fnt)
    x = centre[0] - total / 2
    y = centre[1] - (t + b) / 2
    for c, w in zip(text, widths):
        d.text((x, y), c, font=fnt, fill=255)
        x += w + spacing
    return m


def rng(seed):
    return random.Random(seed)


def crop_background(src, box, size):
    """The pixels of src under box, extended by repeating its edge rows where box leaves src."""
    x0, y0 = box
    w, h = size
    out = Image.new("RGB", size)
    sw, sh = src.size
    for y in range(h):
        sy = min(max(y0 + y, 0), sh - 1)
        row = src.crop((x0, sy, x0 + w, sy + 1))
        out.paste(row, (0, y))
    return out


# ---- writing the three colour formats -------------------------------------------------------

class Writer:
    def __init__(self, outdir):
        self.outdir = outdir
        self.written = {}
        os.makedirs(outdir, exist_ok=True)

    def _path(self, name):
        return os.path.join(self.outdir, name)

    def rgb(self, rid, img):
        img = img.convert("RGB")
        img.save(self._path(f"{rid}.png"), optimize=True)
        self.written[rid] = ("RGB", img.size)

    def rgba(self, rid, img):
        img = img.convert("RGBA")
        img.save(self._path(f"{rid}.png"), optimize=True)
        self.written[rid] = ("RGBA", img.size)

    def palette(self, rid, img):
        """Palette picture: pixels with alpha below 128 become the transparent entry 0 (holding the
        key colour); the others are opaque and quantised into the remaining 255 entries."""
        img = img.convert("RGBA")
        alpha = img.getchannel("A")
        opaque = Image.new("RGB", img.size, (0, 0, 0))
        opaque.paste(img.convert("RGB"), (0, 0), alpha.point(lambda v: 255 if v >= 128 else 0))
        q = opaque.quantize(colors=255, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
        pal = q.getpalette()[: 3 * 255]
        out = Image.new("P", img.size)
        out.putpalette(list(KEY) + pal + [0] * (3 * 256 - 3 - len(pal)))
        src = q.load()
        dst = out.load()
        a = alpha.load()
        for y in range(img.size[1]):
            for x in range(img.size[0]):
                dst[x, y] = 0 if a[x, y] < 128 else src[x, y] + 1
        out.save(self._path(f"{rid}.png"), transparency=0, optimize=True)
        self.written[rid] = ("palette", img.size)

    def bmp(self, rid, img):
        img.convert("RGB").save(self._path(f"{rid}.bmp"))
        self.written[rid] = ("BMP", img.size)
