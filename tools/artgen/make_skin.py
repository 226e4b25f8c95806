#!/usr/bin/python3
"""Draws the launcher's skin pictures into res/png/ and writes res/skin.rc.

Needs Debian's python3-pil, fonts-wqy-zenhei and fonts-dejavu-core. Run it with the system
Python (/usr/bin/python3); the output is committed, so building the launcher needs none of this.

Where the forms put each picture decides how it is drawn here: pictures without an alpha channel
are painted opaquely, so every button carries the pixels of what lies under it (the frame of
picture 170 for the login window, the title-bar strips for the game and QQ windows) and blends
into it seamlessly; the round glyphs of the login window are palette pictures whose transparent
entry holds the key colour, so they work both alpha-blended and colour-keyed.
"""
import os
import sys

from PIL import Image, ImageFilter

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_icon  # noqa: E402
from skinart import (KEY, SERIF_BOLD, Writer, crop_background, font, glow, gradient,  # noqa: E402
                     lerp, mask, paint, rng, solid, spaced_text_mask, text_mask)

HERE = os.path.dirname(os.path.abspath(__file__))
RES = os.path.normpath(os.path.join(HERE, "..", "..", "res"))

# ---- colours -------------------------------------------------------------------------------
GOLD = (226, 184, 104)
GOLD_DARK = (140, 100, 48)
GOLD_LIGHT = (250, 226, 160)
CRIMSON = (150, 26, 36)
CRIMSON_LIGHT = (206, 52, 58)
INK = (9, 10, 15)
PARCHMENT = (236, 222, 190)

# ---- the login frame (picture 170) ---------------------------------------------------------
FRAME_W, FRAME_H = 1024, 700
PANEL = (282, 84, 946, 590)          # the framed panel on the right
PAGE = (306, 156, 920, 561)          # where the login page shows (right/bottom exclusive)
MIN_GLYPH = (889, 91, 23)            # round minimise: left, top, size
CLOSE_GLYPH = (910, 104, 29)         # round close
LOGIN_BUTTONS = {                    # caption and top-left of the four text buttons
    194: ("官方主页", (307, 120)),
    198: ("充值中心", (426, 122)),
    200: ("客服中心", (680, 121)),
    190: ("游戏论坛", (796, 124)),
}
TEXT_BUTTON = (100, 29)
PLATE_TOP = 123                      # window line where every caption plate starts


def ridge(r, x0, x1, base, amp, rough, step=4):
    """A mountain ridge line by midpoint displacement, as (x, y) points."""
    n = 1
    ys = [base + r.uniform(-amp, amp), base + r.uniform(-amp, amp)]
    while (x1 - x0) / n > step:
        nys = []
        for a, b in zip(ys, ys[1:]):
            nys += [a, (a + b) / 2 + r.uniform(-amp, amp)]
        nys.append(ys[-1])
        ys = nys
        n *= 2
        amp *= rough
    return [(x0 + (x1 - x0) * i / n, y) for i, y in enumerate(ys)]


def castle(pen, x, y, s):
    """A keep with three towers and pointed roofs standing on (x, y), s pixels per unit."""
    def tower(cx, w, h, roof):
        pen.rect((cx - w / 2, y - h, cx + w / 2, y + 2))
        pen.polygon([(cx - w / 2 - 1, y - h), (cx + w / 2 + 1, y - h), (cx, y - h - roof)])
    tower(x, 9 * s, 36 * s, 14 * s)
    tower(x - 13 * s, 7 * s, 24 * s, 10 * s)
    tower(x + 13 * s, 7 * s, 28 * s, 11 * s)
    pen.rect((x - 17 * s, y - 14 * s, x + 17 * s, y + 2))
    tower(x - 24 * s, 4 * s, 18 * s, 7 * s)


def draw_scene():
    """The night landscape behind the panel, opaque RGB."""
    w, h = FRAME_W, FRAME_H
    sky = gradient((w, h), [(0.0, (8, 11, 24)), (0.36, (26, 20, 44)), (0.6, (74, 28, 40)),
                            (0.68, (110, 42, 40)), (0.8, (30, 16, 24)), (1.0, (10, 9, 14))])
    img = sky.convert("RGBA")
    r = rng(1706)
    # stars, denser away from the horizon
    stars = Image.new("L", (w, h), 0)
    sp = stars.load()
    for _ in range(420):
        x, y = r.randrange(w), int(r.random() ** 1.8 * 380)
        sp[x, y] = max(sp[x, y], r.randrange(60, 230))
    paint(img, stars, (230, 232, 255))
    # the moon with its halo
    mx, my, mr = 168, 156, 54
    disc = mask((w, h), lambda p: p.circle(mx, my, mr))
    paint(img, glow(disc, 60, 0.55), (120, 90, 130))
    paint(img, glow(disc, 18, 0.8), (255, 220, 190))
    paint(img, disc, gradient((w, h), [(0, (255, 246, 226)), (0.3, (244, 214, 180)), (1, (200, 150, 120))]))
    craters = mask((w, h), lambda p: [p.circle(mx - 18, my - 8, 11), p.circle(mx + 16, my + 14, 8),
                                      p.circle(mx + 6, my - 24, 6), p.circle(mx - 6, my + 26, 7)])
    paint(img, craters, (214, 170, 140), 0.55)
    # three ranges of mountains, paler with distance
    for seed, base, amp, colour, fog in ((3, 360, 110, (58, 34, 58), (120, 60, 70)),
                                        (5, 440, 80, (32, 19, 34), (90, 40, 50)),
                                        (7, 520, 50, (14, 10, 18), None)):
        pts = ridge(rng(seed), -8, w + 8, base, amp, 0.56)
        m = mask((w, h), lambda p, pts=pts: p.polygon(pts + [(w + 8, h + 8), (-8, h + 8)]))
        paint(img, m, colour)
        if fog:  # mist settling at the foot of each range
            band = mask((w, h), lambda p, b=base: p.rect((-20, b + 30, w + 20, b + 62)))
            paint(img, band.filter(ImageFilter.GaussianBlur(16)), fog, 0.22)
    # a castle on the nearest hill, lit windows
    cx, cy = 222, 432
    crag = [(cx - 150, h), (cx - 120, cy + 60), (cx - 84, cy + 34), (cx - 50, cy + 18), (cx - 26, cy + 4),
            (cx + 28, cy + 2), (cx + 44, cy + 12), (cx + 70, cy + 16), (cx + 100, cy + 40), (cx + 140, h)]
    hill = mask((w, h), lambda p: p.polygon(crag))
    paint(img, hill, (14, 10, 18))
    cm = mask((w, h), lambda p: castle(p, cx, cy + 2, 1.2))
    paint(img, cm, (14, 10, 18))
    windows = mask((w, h), lambda p: [p.rect((cx - 1, cy - 30, cx + 1, cy - 26)), p.rect((cx - 16, cy - 18, cx - 14, cy - 14)),
                                      p.rect((cx + 15, cy - 20, cx + 17, cy - 16)), p.rect((cx - 5, cy - 10, cx - 3, cy - 7))])
    paint(img, glow(windows, 3, 1.2), (255, 150, 60), 0.7)
    paint(img, windows, (255, 214, 120))
    return img.convert("RGB")


def draw_logo(img):
    """Shield emblem and the game's name at the lower left."""
    cx, top = 148, 568
    shield = make_icon.draw(64)
    halo = Image.new("L", img.size, 0)
    halo.paste(shield.getchannel("A"), (cx - 32, top - 78))
    paint(img, glow(halo, 14, 0.9), (255, 160, 80), 0.6)
    img.alpha_composite(shield, (cx - 32, top - 78))
    f = font(28, SERIF_BOLD)
    m = text_mask(img.size, "GRAVEMERE", f, centre=(cx, top + 16))
    paint(img, glow(m, 6, 1.4), INK, 0.9)
    paint(img, m, gradient(img.size, [(0, GOLD_LIGHT), (0.76, GOLD_LIGHT), (0.78, GOLD), (1, GOLD_DARK)]))
    sub = spaced_text_mask(img.size, "游戏登录器", font(14), (cx, top + 46), 6)
    paint(img, glow(sub, 4, 1.2), INK, 0.8)
    paint(img, sub, PARCHMENT)
    rule = mask(img.size, lambda p: [p.rect((cx - 92, top + 45, cx - 54, top + 46)),
                                     p.rect((cx + 54, top + 45, cx + 92, top + 46))])
    paint(img, rule, GOLD, 0.8)


def draw_panel(img):
    l, t, r, b = PANEL
    size = img.size
    body = mask(size, lambda p: p.rrect((l, t, r, b), 14))
    paint(img, glow(body, 14, 1.0).point(lambda v: v * 3 // 4), (0, 0, 0))
    # gold rim, dark inner line, then the body
    paint(img, body, gradient(size, [(0, GOLD_LIGHT), (0.16, GOLD), (0.5, GOLD_DARK), (1, (90, 64, 34))]))
    inner = mask(size, lambda p: p.rrect((l + 2, t + 2, r - 2, b - 2), 12))
    paint(img, inner, INK)
    core = mask(size, lambda p: p.rrect((l + 3, t + 3, r - 3, b - 3), 11))
    paint(img, core, gradient(size, [(0, (40, 26, 38)), (0.2, (28, 24, 36)), (0.5, (22, 24, 34)), (1, (16, 17, 24))]))
    # a crimson sheen along the header band
    header = mask(size, lambda p: p.rrect((l + 3, t + 3, r - 3, PAGE[1] - 2), 11))
    paint(img, header, gradient(size, [(0, (96, 26, 38)), (0.18, (60, 20, 32)), (0.23, (30, 22, 34)), (1, (30, 22, 34))]), 0.55)
    # filigree rule under the header's top edge, fading at both ends
    rule = gradient(size, [(0, (0, 0, 0)), (0.32, GOLD), (0.6, GOLD), (0.9, (0, 0, 0))], vertical=False)
    paint(img, mask(size, lambda p: p.rect((l + 20, 113, r - 70, 114))), rule, 0.5)
    # the page well: gold hairline, dark bevel, page background with a faint crest
    pl, pt, pr, pb = PAGE
    paint(img, mask(size, lambda p: p.rect((pl - 3, pt - 3, pr + 3, pb + 3))), GOLD_DARK)
    paint(img, mask(size, lambda p: p.rect((pl - 2, pt - 2, pr + 2, pb + 2))), (4, 5, 8))
    well = mask(size, lambda p: p.rect((pl, pt, pr, pb)))
    paint(img, well, gradient(size, [(0, (30, 33, 44)), (0.45, (20, 22, 30)), (1, (14, 15, 21))]))
    crest = mask(size, lambda p: p.polygon([(563, 250), (663, 250), (663, 320), (613, 372), (563, 320)]))
    crest_in = mask(size, lambda p: p.polygon([(569, 256), (657, 256), (657, 318), (613, 364), (569, 318)]))
    paint(img, crest, (70, 58, 60), 0.16)
    paint(img, crest_in, (20, 22, 30), 0.16)
    # footer: the healthy-play notice
    notice = "抵制不良游戏，拒绝盗版游戏。注意自我保护，谨防受骗上当。适度游戏益脑，沉迷游戏伤身。合理安排时间，享受健康生活。"
    m = text_mask(size, notice, font(11), centre=((pl + pr) / 2, (pb + 3 + b - 3) / 2 + 1))
    paint(img, m, (128, 120, 112))
    # header emblem between the button groups: a small shield flanked by gold lines
    ex, ey = 603, 137
    emblem = make_icon.draw(30)
    halo = Image.new("L", size, 0)
    halo.paste(emblem.getchannel("A"), (ex - 15, ey - 16))
    paint(img, glow(halo, 5, 1.0), (255, 150, 70), 0.5)
    img.alpha_composite(emblem, (ex - 15, ey - 16))
    for x0, x1 in ((532, 584), (622, 674)):
        paint(img, mask(size, lambda p, a=x0, c=x1: p.rect((a, ey, c, ey + 1))), gold_fade(size, x0, x1, x0 < ex))
        paint(img, mask(size, lambda p, a=x0, c=x1: p.polygon([((a + c) / 2 - 3, ey + 0.5), ((a + c) / 2, ey - 2.5),
                                                           ((a + c) / 2 + 3, ey + 0.5), ((a + c) / 2, ey + 3.5)])), GOLD, 0.8)
    # sockets the round glyphs sit in
    for gx, gy, gs in (MIN_GLYPH, CLOSE_GLYPH):
        cx, cy, rr = gx + gs / 2, gy + gs / 2, gs / 2
        paint(img, mask(size, lambda p: p.circle(cx, cy + 1, rr + 4)), (0, 0, 0), 0.6)
        paint(img, mask(size, lambda p: p.circle(cx, cy, rr + 3)), GOLD_DARK)
        paint(img, mask(size, lambda p: p.circle(cx, cy, rr + 2)), INK)


def gold_fade(size, x0, x1, rising):
    stops = [(0, (40, 30, 30)), (1, GOLD)] if rising else [(0, GOLD), (1, (40, 30, 30))]
    strip = gradient((x1 - x0 + 1, size[1]), stops, vertical=False)
    out = Image.new("RGB", size, GOLD)
    out.paste(strip, (x0, 0))
    return out


def draw_frame():
    scene = draw_scene().convert("RGBA")
    draw_logo(scene)
    draw_panel(scene)
    # soft edges: the artwork fades out over the last pixels of a rounded shape
    edge = mask((FRAME_W, FRAME_H), lambda p: p.rrect((26, 40, FRAME_W - 26, FRAME_H - 30), 56))
    edge = edge.filter(ImageFilter.GaussianBlur(12))
    panel = mask((FRAME_W, FRAME_H), lambda p: p.rrect(PANEL, 14))
    alpha = Image.composite(Image.new("L", edge.size, 255), edge, panel)
    scene.putalpha(alpha)
    return scene


# ---- the login window's buttons ------------------------------------------------------------

def flatten(frame):
    """What the user sees of the frame where it is opaque (the buttons sit on the panel)."""
    return frame.convert("RGB")


def login_text_button(bg, caption, hover, top):
    """A 100 x 29 caption plate over the frame pixels bg. The buttons stand at slightly different
    heights; each plate starts at line PLATE_TOP of the window so that the row looks even."""
    w, h = TEXT_BUTTON
    img = bg.copy().convert("RGBA")
    dy = PLATE_TOP - top - 2
    plate = mask((w, h), lambda p: p.rrect((1, 2 + dy, w - 2, h - 3 + dy), 5))
    inner = mask((w, h), lambda p: p.rrect((2, 3 + dy, w - 3, h - 4 + dy), 4))
    if hover:
        paint(img, plate, gradient((w, h), [(0, GOLD_LIGHT), (1, GOLD_DARK)]))
        paint(img, inner, gradient((w, h), [(0, CRIMSON_LIGHT), (0.5, CRIMSON), (1, (92, 14, 24))]))
        sheen = mask((w, h), lambda p: p.rrect((3, 4 + dy, w - 4, h // 2 + dy), 3))
        paint(img, sheen, (255, 255, 255), 0.12)
    else:
        paint(img, plate, GOLD_DARK, 0.55)
        paint(img, inner, gradient((w, h), [(0, (46, 30, 40)), (1, (24, 18, 26))]), 0.9)
    f = font(14)
    t = spaced_text_mask((w, h), caption, f, (w / 2, h / 2 + dy), 2)
    shadow = Image.new("L", (w, h), 0)
    shadow.paste(t, (0, 1))
    paint(img, shadow, INK, 0.8)
    if hover:
        paint(img, glow(t, 3, 1.2), (255, 190, 110), 0.5)
        paint(img, t, (255, 246, 226))
    else:
        paint(img, t, PARCHMENT)
    return img.convert("RGB")


def round_glyph(bg, size, kind, hover):
    """A round button over the frame pixels bg; outside its disc it is transparent (alpha 0)."""
    s = size
    c = s / 2
    img = bg.copy().convert("RGBA")
    disc = mask((s, s), lambda p: p.circle(c, c, c))
    face = mask((s, s), lambda p: p.circle(c, c, c - 1.5))
    paint(img, disc, gradient((s, s), [(0, GOLD_LIGHT), (0.5, GOLD), (1, GOLD_DARK)]))
    if kind == "close":
        top, bottom = ((236, 84, 80), (150, 22, 30)) if hover else ((196, 46, 52), (110, 14, 24))
    else:
        top, bottom = ((92, 100, 126), (38, 42, 58)) if hover else ((62, 66, 86), (24, 26, 38))
    paint(img, face, gradient((s, s), [(0, top), (1, bottom)]))
    shine = mask((s, s), lambda p: p.ellipse((c - c * 0.6, 2.5, c + c * 0.6, c * 0.9)))
    paint(img, shine, (255, 255, 255), 0.22 if hover else 0.14)
    k = s * 0.19
    if kind == "close":
        sym = mask((s, s), lambda p: [p.line([(c - k, c - k), (c + k, c + k)], 2.2),
                                      p.line([(c - k, c + k), (c + k, c - k)], 2.2)])
    else:
        sym = mask((s, s), lambda p: p.line([(c - k * 1.1, c + 0.5), (c + k * 1.1, c + 0.5)], 2.0))
    shadow = Image.new("L", (s, s), 0)
    shadow.paste(sym, (0, 1))
    paint(img, shadow, INK, 0.5)
    paint(img, sym, (255, 255, 255) if hover else (246, 236, 214))
    # keep what the disc covers; everything outside it is left to the frame
    img.putalpha(disc.point(lambda v: 255 if v >= 96 else 0))
    return img


# ---- the game window's title bar ------------------------------------------------------------
BAR = (1500, 27)
ICON_BUTTON_TOP = 1                  # the game form puts its glyph buttons 1 pixel down
TEXT_BUTTON_TOP = 5                  # and its text buttons 5 pixels down
TITLE_TEXT_BUTTONS = {217: "设置", 202: "论坛", 211: "官网", 215: "客服", 213: "扫码充值"}
STROKE = (200, 192, 182)


def game_title_bar():
    w, h = BAR
    img = gradient(BAR, [(0, (50, 34, 44)), (0.5, (34, 26, 36)), (1, (22, 18, 26))]).convert("RGBA")
    # a warm glow behind the icon and the title at the left end
    warm = gradient(BAR, [(0, (120, 30, 40)), (0.3, (60, 20, 30)), (1, (0, 0, 0))], vertical=False)
    fade = gradient(BAR, [(0, (255, 255, 255)), (0.3, (0, 0, 0)), (1, (0, 0, 0))], vertical=False)
    paint(img, fade.convert("L"), warm, 0.5)
    paint(img, mask(BAR, lambda p: p.rect((0, 0, w, 0))), (92, 66, 76))
    paint(img, mask(BAR, lambda p: p.rect((0, h - 1, w, h - 1))), GOLD_DARK)
    return img.convert("RGB")


def title_glyph(bg, kind, hover):
    """A 27-pixel-high glyph button (minimise, close, restore, maximise, tray) over the bar."""
    w, h = bg.size
    img = bg.copy().convert("RGBA")
    cx, cy = w / 2, h / 2
    if hover:
        plate = mask((w, h), lambda p: p.rrect((2, 2, w - 3, h - 3), 4))
        paint(img, plate, CRIMSON_LIGHT if kind == "close" else (255, 255, 255), 0.9 if kind == "close" else 0.14)
    k = 5
    if kind == "minimise":
        sym = mask((w, h), lambda p: p.line([(cx - k, cy + 3), (cx + k, cy + 3)], 1.6))
    elif kind == "close":
        sym = mask((w, h), lambda p: [p.line([(cx - k, cy - k), (cx + k, cy + k)], 1.6),
                                      p.line([(cx - k, cy + k), (cx + k, cy - k)], 1.6)])
    elif kind == "restore":  # two overlapping frames
        def two(p):
            p.rect((cx - 3, cy - 6, cx + 6, cy + 3))
            p.rect((cx - 1.6, cy - 4.6, cx + 4.6, cy + 1.6), 0)
            p.rect((cx - 6, cy - 3, cx + 3, cy + 6))
            p.rect((cx - 4.6, cy - 1.6, cx + 1.6, cy + 4.6), 0)
        sym = mask((w, h), two)
    elif kind == "maximise":  # one frame with a heavier top edge
        def one(p):
            p.rect((cx - 6, cy - 6, cx + 6, cy + 6))
            p.rect((cx - 4.6, cy - 3.6, cx + 4.6, cy + 4.6), 0)
        sym = mask((w, h), one)
    else:  # tray: an arrow to the lower right, into a corner
        sym = mask((w, h), lambda p: [p.line([(cx - 5, cy - 5), (cx + 3, cy + 3)], 1.6),
                                      p.line([(cx - 2, cy + 4), (cx + 4, cy + 4), (cx + 4, cy - 2)], 1.6),
                                      p.line([(cx - 6, cy + 7), (cx + 7, cy + 7), (cx + 7, cy - 6)], 1.2)])
    paint(img, sym, (255, 255, 255) if hover else STROKE)
    return img.convert("RGB")


def title_text_button(bg, caption, hover):
    w, h = bg.size
    img = bg.copy().convert("RGBA")
    if hover:
        plate = mask((w, h), lambda p: p.rrect((0, 0, w - 1, h - 1), 3))
        paint(img, plate, gradient((w, h), [(0, CRIMSON_LIGHT), (1, CRIMSON)]))
    t = spaced_text_mask((w, h), caption, font(12), (w / 2, h / 2), 1)
    paint(img, t, (255, 246, 226) if hover else (222, 206, 178))
    return img.convert("RGB")


def game_icon(bg):
    img = bg.copy().convert("RGBA")
    img.alpha_composite(make_icon.draw(25))
    return img.convert("RGB")


# ---- the QQ login window --------------------------------------------------------------------
QQ_GREY = ((66, 66, 70), (44, 44, 48))


def qq_title_bar():
    w, h = BAR
    img = gradient(BAR, [(0, QQ_GREY[0]), (1, QQ_GREY[1])]).convert("RGBA")
    paint(img, mask(BAR, lambda p: p.rect((0, 0, w, 0))), (92, 92, 96))
    return img.convert("RGB")


def qq_close(bg, hover):
    w, h = bg.size
    img = bg.copy().convert("RGBA")
    if hover:
        paint(img, mask((w, h), lambda p: p.rect((0, 0, w, h))), (212, 64, 60))
    c, k = w / 2, 5
    sym = mask((w, h), lambda p: [p.line([(c - k, c - k), (c + k, c + k)], 1.6),
                                  p.line([(c - k, c + k), (c + k, c - k)], 1.6)])
    paint(img, sym, (255, 255, 255) if hover else (170, 170, 174))
    return img.convert("RGB")


def qq_edge(size, vertical):
    """A frame edge in the title bar's grey: a darker outer line, a lighter one inside."""
    shades = [(34, 34, 38), (58, 58, 62), (44, 44, 48), (40, 40, 44)]
    img = Image.new("RGB", size)
    n = size[0] if vertical else size[1]
    for i in range(n):
        box = (i, 0, i + 1, size[1]) if vertical else (0, size[1] - 1 - i, size[0], size[1] - i)
        img.paste(shades[min(i, len(shades) - 1)], box)
    return img


# ---- the scan-to-pay window -----------------------------------------------------------------

def scan_background():
    w, h = 440, 4
    img = Image.new("RGBA", (w, h), (236, 241, 248, 255))
    a = Image.new("L", (w, h))
    for x in range(w):
        a.paste(round(255 * min(1.0, (x + 0.5) / 12, (w - x - 0.5) / 12)), (x, 0, x + 1, h))
    img.putalpha(a)
    return img


def scan_close(face):
    s = 30
    img = Image.new("RGBA", (s, s), (0, 0, 0, 0) if face is None else face + (255,))
    c, k = s / 2, 5.5
    sym = mask((s, s), lambda p: [p.line([(c - k, c - k), (c + k, c + k)], 1.4),
                                  p.line([(c - k, c + k), (c + k, c - k)], 1.4)])
    paint(img, sym, (88, 94, 106) if face is None else (255, 255, 255))
    return img


# ---- large buttons --------------------------------------------------------------------------

def big_button(caption, top, bottom, hover):
    w, h = 134, 48
    back = (20, 22, 30)
    img = Image.new("RGBA", (w, h), back + (255,))
    outer = mask((w, h), lambda p: p.rrect((1, 1, w - 2, h - 2), 9))
    inner = mask((w, h), lambda p: p.rrect((3, 3, w - 4, h - 4), 7))
    paint(img, glow(outer, 3, 1.0), (255, 170, 90) if hover else INK, 0.6)
    paint(img, outer, gradient((w, h), [(0, GOLD_LIGHT), (0.5, GOLD), (1, GOLD_DARK)]))
    if hover:
        top, bottom = lerp(top, (255, 255, 255), 0.18), lerp(bottom, (255, 255, 255), 0.1)
    paint(img, inner, gradient((w, h), [(0, top), (1, bottom)]))
    paint(img, mask((w, h), lambda p: p.rrect((5, 5, w - 6, h // 2), 5)), (255, 255, 255), 0.14)
    t = spaced_text_mask((w, h), caption, font(20), (w / 2, h / 2), 3)
    paint(img, glow(t, 2, 1.5), INK, 0.7)
    paint(img, t, (255, 246, 226))
    return img.convert("RGB")


def main():
    w = Writer(os.path.join(RES, "png"))
    frame = draw_frame()
    w.rgba(170, frame)
    seen = flatten(frame)

    for rid, (caption, (x, y)) in LOGIN_BUTTONS.items():
        bg = crop_background(seen, (x, y), TEXT_BUTTON)
        w.rgb(rid, login_text_button(bg, caption, False, y))
        w.rgb(rid + 1, login_text_button(bg, caption, True, y))
    for rid, kind, (x, y, s) in ((188, "close", CLOSE_GLYPH), (192, "minimise", MIN_GLYPH)):
        bg = crop_background(seen, (x, y), (s, s))
        w.palette(rid, round_glyph(bg, s, kind, False))
        w.palette(rid + 1, round_glyph(bg, s, kind, True))
    w.rgb(183, solid((29, 30), KEY))

    bar = game_title_bar()
    w.rgb(219, bar)
    w.bmp(220, bar)
    # The bar is even from its middle to its right end, where the form lines up its buttons,
    # so any crop from there matches wherever the stretched bar puts them.
    icon_bg = crop_background(bar, (BAR[0] - 40, ICON_BUTTON_TOP), (28, 27))
    for rid, kind, width in ((207, "minimise", 28), (186, "close", 27), (205, "restore", 27),
                             (209, "maximise", 27), (184, "tray", 27)):
        bg = icon_bg.crop((0, 0, width, 27))
        w.rgb(rid, title_glyph(bg, kind, False))
        w.rgb(rid + 1, title_glyph(bg, kind, True))
    for rid, caption in TITLE_TEXT_BUTTONS.items():
        size = (59 if len(caption) > 2 else 38, 18)
        bg = crop_background(bar, (BAR[0] - 300, TEXT_BUTTON_TOP), size)
        w.rgb(rid, title_text_button(bg, caption, False))
        w.rgb(rid + 1, title_text_button(bg, caption, True))
    w.rgb(204, game_icon(crop_background(bar, (5, 2), (25, 25))))

    qq = qq_title_bar()
    w.rgb(221, qq)
    qq_bg = crop_background(qq, (BAR[0] - 27, 0), (27, 27))
    w.rgb(224, qq_close(qq_bg, False))
    w.rgb(225, qq_close(qq_bg, True))
    w.rgb(222, qq_edge((3, 359), True))
    w.rgb(223, qq_edge((469, 4), False))

    w.rgba(228, scan_background())
    w.rgba(229, scan_close(None))
    w.rgb(230, scan_close((240, 118, 150)))
    w.rgb(231, scan_close((208, 82, 118)))

    crimson = ((200, 50, 54), (112, 16, 26))
    steel = ((70, 92, 140), (30, 40, 70))
    w.rgb(196, big_button("进入游戏", *crimson, False))
    w.rgb(197, big_button("进入游戏", *crimson, True))
    w.rgb(226, big_button("立即登录", *steel, False))
    w.rgb(227, big_button("立即登录", *steel, True))

    check(w.written)
    write_rc(w.written)


# What the launcher's forms expect of each picture: size and colour format.
EXPECTED = {
    170: ((1024, 700), "RGBA"), 183: ((29, 30), "RGB"), 188: ((29, 29), "palette"),
    189: ((29, 29), "palette"), 192: ((23, 23), "palette"), 193: ((23, 23), "palette"),
    196: ((134, 48), "RGB"), 197: ((134, 48), "RGB"), 204: ((25, 25), "RGB"),
    207: ((28, 27), "RGB"), 208: ((28, 27), "RGB"), 213: ((59, 18), "RGB"), 214: ((59, 18), "RGB"),
    219: ((1500, 27), "RGB"), 220: ((1500, 27), "BMP"), 221: ((1500, 27), "RGB"),
    222: ((3, 359), "RGB"), 223: ((469, 4), "RGB"), 226: ((134, 48), "RGB"), 227: ((134, 48), "RGB"),
    228: ((440, 4), "RGBA"), 229: ((30, 30), "RGBA"), 230: ((30, 30), "RGB"), 231: ((30, 30), "RGB"),
}
EXPECTED.update({i: ((27, 27), "RGB") for i in (184, 185, 186, 187, 205, 206, 209, 210, 224, 225)})
EXPECTED.update({i: ((100, 29), "RGB") for i in (190, 191, 194, 195, 198, 199, 200, 201)})
EXPECTED.update({i: ((38, 18), "RGB") for i in (202, 203, 211, 212, 215, 216, 217, 218)})


def check(written):
    got = {rid: (size, kind) for rid, (kind, size) in written.items()}
    if got != EXPECTED:
        bad = sorted(set(got.items()) ^ set(EXPECTED.items()))
        sys.exit(f"make_skin: pictures differ from what the forms expect: {bad}")


def write_rc(written):
    lines = ['// Skin pictures: resources of type "PNG" and bitmap 220. Generated by tools/artgen/make_skin.py.',
             "LANGUAGE LANG_NEUTRAL, SUBLANG_NEUTRAL", ""]
    for rid in sorted(written):
        kind, _ = written[rid]
        if kind == "BMP":
            lines.append(f'{rid} BITMAP "png/{rid}.bmp"')
        else:
            lines.append(f'{rid} PNG "png/{rid}.png"')
    with open(os.path.join(RES, "skin.rc"), "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
