#!/usr/bin/python3
"""Draws the application icon (res/app.ico, 16/32/48 px): a crimson shield with a silver blade."""
import os
from PIL import Image, ImageDraw, ImageFilter

def draw(size):
    s = size * 4  # draw large, scale down for smooth edges
    img = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    m = s // 16
    # shield: rounded top, pointed bottom
    shield = [(m, m * 2), (s - m, m * 2), (s - m, s // 2), (s // 2, s - m), (m, s // 2)]
    d.polygon(shield, fill=(120, 14, 24, 255))
    inner = [(m * 3, m * 3.5), (s - m * 3, m * 3.5), (s - m * 3, s // 2 - m // 2),
             (s // 2, s - m * 3.2), (m * 3, s // 2 - m // 2)]
    d.polygon(inner, fill=(196, 38, 44, 255))
    d.line(shield + [shield[0]], fill=(240, 196, 90, 255), width=max(2, s // 22))
    # blade
    cx = s // 2
    d.polygon([(cx, m * 1.2), (cx + m, m * 3), (cx + m * 0.9, s - m * 5), (cx - m * 0.9, s - m * 5),
               (cx - m, m * 3)], fill=(232, 236, 244, 255))
    d.rectangle([cx - m * 3, s - m * 5.2, cx + m * 3, s - m * 4.2], fill=(240, 196, 90, 255))
    d.rectangle([cx - m * 0.6, s - m * 4.2, cx + m * 0.6, s - m * 2.2], fill=(90, 50, 20, 255))
    return img.resize((size, size), Image.LANCZOS)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = os.path.join(here, "..", "..", "res", "app.ico")
    big = draw(48)
    big.save(out, format="ICO", sizes=[(16, 16), (32, 32), (48, 48)],
             append_images=[draw(16), draw(32)])
    print("wrote", os.path.normpath(out))


if __name__ == "__main__":
    main()
