#!/usr/bin/python3
"""Draws every image Vellumry compiles in, into resources/images/.

    /usr/bin/python3 resources/make_images.py [--out FOLDER] [--sheet FILE.png]

Needs Pillow (Debian: apt-get install python3-pil) and the DejaVu Sans fonts
(Debian: fonts-dejavu-core). The output depends only on this file, the fonts and
the Pillow version, so running it again reproduces the committed PNGs.

The look: flat shapes, soft shadows only on the large icons, one deep teal accent.
Toolbar buttons come as a light set (for a #F3F6FA toolbar) and a dark set (for
#1D1E1F), each at 1x and @2x. Shapes are drawn four times larger and scaled down
for smooth edges; labels are set straight at the final size so they stay hinted
and sharp.
"""

import argparse
import math
import os
import random

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
FONT_DIR = "/usr/share/fonts/truetype/dejavu"
SUPERSAMPLE = 4

# The palette. TEAL is the one accent; TEAL_BRIGHT is the same hue lifted for dark panels.
TEAL = (15, 118, 110)
TEAL_DEEP = (10, 84, 79)
TEAL_MID = (26, 146, 134)
TEAL_SOFT = (94, 190, 178)
TEAL_BRIGHT = (88, 208, 192)

LIGHT = {
    "fill_top": (255, 255, 255),
    "fill_bottom": (248, 250, 252),
    "border": (206, 214, 224),
    "text": (31, 41, 55),
    "muted": (107, 119, 135),
    "icon": TEAL,
}
DARK = {
    "fill_top": (48, 50, 53),
    "fill_bottom": (42, 44, 47),
    "border": (66, 70, 75),
    "text": (230, 233, 237),
    "muted": (150, 158, 168),
    "icon": TEAL_BRIGHT,
}


def rgba(color, alpha=255):
    return tuple(color[:3]) + (alpha,)


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


# ---------------------------------------------------------------------------
# Drawing in units: at 1x one unit is one pixel.


class Canvas:
    """An RGBA picture drawn at SUPERSAMPLE times its size, in units of `unit` pixels."""

    def __init__(self, width, height, unit):
        self.width, self.height, self.unit = width, height, unit
        self.k = unit * SUPERSAMPLE
        self.image = Image.new("RGBA", (round(width * self.k), round(height * self.k)), (0, 0, 0, 0))

    def s(self, v):
        return v * self.k

    def box(self, x0, y0, x1, y1):
        return [self.s(x0), self.s(y0), self.s(x1) - 1, self.s(y1) - 1]

    def layer(self):
        return Image.new("RGBA", self.image.size, (0, 0, 0, 0))

    def put(self, layer):
        self.image = Image.alpha_composite(self.image, layer)

    def draw(self):
        return ImageDraw.Draw(self.image)

    def rect(self, x0, y0, x1, y1, color, radius=0):
        d = self.draw()
        if radius:
            d.rounded_rectangle(self.box(x0, y0, x1, y1), radius=self.s(radius), fill=rgba(color))
        else:
            d.rectangle(self.box(x0, y0, x1, y1), fill=rgba(color))

    def ring(self, x0, y0, x1, y1, color, width, radius=0):
        """A rectangle outline whose stroke lies inside the box."""
        self.draw().rounded_rectangle(self.box(x0, y0, x1, y1), radius=self.s(radius),
                                      outline=rgba(color), width=round(self.s(width)))

    def ellipse(self, x0, y0, x1, y1, color):
        self.draw().ellipse(self.box(x0, y0, x1, y1), fill=rgba(color))

    def polygon(self, points, color):
        self.draw().polygon([(self.s(x), self.s(y)) for x, y in points], fill=rgba(color))

    def stroke(self, points, color, width, caps=True):
        """A polyline with round joins and, unless told otherwise, round caps."""
        d = self.draw()
        pts = [(self.s(x), self.s(y)) for x, y in points]
        w = self.s(width)
        d.line(pts, fill=rgba(color), width=round(w), joint="curve")
        if caps:
            r = w / 2
            for x, y in (pts[0], pts[-1]):
                d.ellipse([x - r, y - r, x + r, y + r], fill=rgba(color))

    def gradient_rect(self, x0, y0, x1, y1, top, bottom, radius=0):
        """A rounded rectangle filled with a vertical gradient."""
        fill = Image.new("RGBA", self.image.size, (0, 0, 0, 0))
        d = ImageDraw.Draw(fill)
        ys, ye = self.s(y0), self.s(y1)
        for y in range(int(ys), int(math.ceil(ye))):
            t = (y - ys) / max(1, ye - ys)
            d.line([(self.s(x0), y), (self.s(x1), y)], fill=rgba(mix(top, bottom, t)))
        mask = Image.new("L", self.image.size, 0)
        ImageDraw.Draw(mask).rounded_rectangle(self.box(x0, y0, x1, y1), radius=self.s(radius), fill=255)
        layer = self.layer()
        layer.paste(fill, (0, 0), mask)
        self.put(layer)

    def shadow(self, shape, blur, offset, alpha):
        """Drops a soft shadow of the opaque parts of `shape` (an RGBA layer) under what is drawn next."""
        a = shape.getchannel("A").point(lambda v: v * alpha // 255)
        a = ImageChops.offset(a, 0, round(self.s(offset)))
        a = a.filter(ImageFilter.GaussianBlur(self.s(blur)))
        dark = Image.new("RGBA", self.image.size, (8, 20, 28, 0))
        dark.putalpha(a)
        self.put(dark)

    def result(self):
        return self.image.resize((round(self.width * self.unit), round(self.height * self.unit)),
                                 Image.LANCZOS)


def font(size, bold=False):
    name = "DejaVuSans-Bold.ttf" if bold else "DejaVuSans.ttf"
    return ImageFont.truetype(os.path.join(FONT_DIR, name), size, layout_engine=ImageFont.Layout.BASIC)


def text_width(text, size):
    return font(size).getlength(text)


def put_text(image, x, cap_middle, text, size, color, bold=False):
    """Sets `text` at the final pixel size, its capital letters centred on `cap_middle`."""
    f = font(size, bold)
    cap_top = f.getbbox("H", anchor="ls")[1]  # negative: the cap height above the baseline
    baseline = round(cap_middle - cap_top / 2)
    layer = Image.new("RGBA", image.size, (0, 0, 0, 0))
    ImageDraw.Draw(layer).text((round(x), baseline), text, font=f, fill=rgba(color), anchor="ls")
    return Image.alpha_composite(image, layer)


# ---------------------------------------------------------------------------
# Toolbar glyphs, each on a 16-unit square whose top-left corner is (x, y).


def glyph_list(c, x, y, color):
    for row in range(3):
        top = y + 2 + row * 5
        c.rect(x + 1, top, x + 4, top + 3, color, radius=0.75)
        c.rect(x + 6, top + 0.5, x + 15, top + 2.5, color, radius=1)


def glyph_icons(c, x, y, color):
    for col in range(2):
        for row in range(2):
            c.rect(x + 1 + col * 8, y + 1 + row * 8, x + 7 + col * 8, y + 7 + row * 8, color, radius=1.5)


def glyph_folder(c, x, y, color):
    c.rect(x + 1, y + 2.5, x + 7, y + 6, color, radius=1)
    c.rect(x + 1, y + 4.5, x + 15, y + 14, color, radius=1.5)


def glyph_rename(c, x, y, color):
    # A pencil over the line it writes: a pointed tip, the body, and a separate eraser end.
    d = (1 / math.sqrt(2), -1 / math.sqrt(2))  # along the pencil, up and to the right
    n = (-d[1], d[0])  # across it
    tip = (x + 1, y + 15)
    half = 1.7

    def at(length, side=0.0):
        return (tip[0] + d[0] * length + n[0] * side, tip[1] + d[1] * length + n[1] * side)

    def band(start, end):
        c.polygon([at(start, -half), at(end, -half), at(end, half), at(start, half)], color)

    c.polygon([tip, at(3.4, -half), at(3.4, half)], color)
    band(3.3, 13.2)
    band(14.2, 17.2)
    c.rect(x + 8, y + 14, x + 15.5, y + 15.5, color, radius=0.75)


def glyph_classify(c, x, y, color):
    # One box sorted into three.
    c.rect(x + 5, y + 0.5, x + 11, y + 5, color, radius=1.2)
    c.rect(x + 7.25, y + 5, x + 8.75, y + 8, color)
    c.rect(x + 2.25, y + 7.25, x + 13.75, y + 8.75, color)
    for cx in (2.5, 8, 13.5):
        c.rect(x + cx - 0.75, y + 8, x + cx + 0.75, y + 10.5, color)
        c.rect(x + cx - 2.5, y + 10.5, x + cx + 2.5, y + 15, color, radius=1.2)


def glyph_move(c, x, y, color, background):
    # A folder with an arrow going into it.
    c.polygon([(x + 0.5, y + 3), (x + 5.5, y + 3), (x + 7, y + 4.5), (x + 15.5, y + 4.5),
               (x + 15.5, y + 14.5), (x + 0.5, y + 14.5)], color)
    c.rect(x + 0.5, y + 3, x + 15.5, y + 14.5, color, radius=1.5)
    c.rect(x + 2, y + 7, x + 14, y + 13, background, radius=0.8)
    c.stroke([(x + 4.5, y + 10), (x + 10, y + 10)], color, 1.6)
    c.stroke([(x + 8, y + 8), (x + 10.3, y + 10), (x + 8, y + 12)], color, 1.6)


def glyph_all(c, x, y, color, background):
    # Two pages, one behind the other.
    c.rect(x + 5, y + 0.5, x + 14.5, y + 12, color, radius=1.5)
    c.rect(x + 1.5, y + 3.5, x + 11.5, y + 15.5, background, radius=2)
    c.ring(x + 2.5, y + 4.5, x + 10.5, y + 14.5, color, 1.5, radius=1.2)
    c.rect(x + 4.5, y + 7.5, x + 8.5, y + 8.75, color)
    c.rect(x + 4.5, y + 10.5, x + 8.5, y + 11.75, color)


def glyph_apps(c, x, y, color):
    # Four application tiles.
    for dx in (0.5, 9):
        for dy in (0.5, 9):
            c.rect(x + dx, y + dy, x + dx + 6.5, y + dy + 6.5, color, radius=1.6)


def glyph_images(c, x, y, color, background):
    c.ring(x + 0.5, y + 2, x + 15.5, y + 14, color, 1.5, radius=2)
    c.ellipse(x + 9.5, y + 4.5, x + 12.5, y + 7.5, color)
    c.polygon([(x + 2, y + 12.5), (x + 6, y + 7), (x + 9, y + 10.5), (x + 10.5, y + 9),
               (x + 14, y + 12.5)], color)


def glyph_archives(c, x, y, color, background):
    # A storage box: its lid, and a handle cut into the front.
    c.rect(x + 0.5, y + 1.5, x + 15.5, y + 5.5, color, radius=1.2)
    c.rect(x + 1.5, y + 6.5, x + 14.5, y + 15, color, radius=1.5)
    c.rect(x + 5.5, y + 8.5, x + 10.5, y + 10.25, background, radius=0.8)


def glyph_documents(c, x, y, color, background):
    c.polygon([(x + 2.5, y + 0.5), (x + 10, y + 0.5), (x + 13.5, y + 4), (x + 13.5, y + 15.5),
               (x + 2.5, y + 15.5)], color)
    c.polygon([(x + 4, y + 2), (x + 9.2, y + 2), (x + 12, y + 4.8), (x + 12, y + 14), (x + 4, y + 14)],
              background)
    c.polygon([(x + 9, y + 1), (x + 13, y + 5), (x + 9, y + 5)], color)
    for row in range(3):
        c.rect(x + 5.5, y + 7 + row * 2.5, x + 10.5 - (row == 2) * 2, y + 8.25 + row * 2.5, color)


def glyph_videos(c, x, y, color, background):
    c.rect(x + 0.5, y + 2.5, x + 15.5, y + 13.5, color, radius=2.5)
    c.polygon([(x + 6.2, y + 5.2), (x + 11.2, y + 8), (x + 6.2, y + 10.8)], background)


def glyph_audios(c, x, y, color, background):
    # Two beamed quavers.
    c.ellipse(x + 0.8, y + 10.6, x + 6.2, y + 15, color)
    c.ellipse(x + 9.3, y + 8.6, x + 14.7, y + 13, color)
    c.rect(x + 4.6, y + 3, x + 6.2, y + 12.8, color)
    c.rect(x + 13.1, y + 1, x + 14.7, y + 10.8, color)
    c.polygon([(x + 4.6, y + 2.5), (x + 14.7, y + 0.3), (x + 14.7, y + 3.3), (x + 4.6, y + 5.5)], color)


def glyph_others(c, x, y, color, background):
    c.ring(x + 0.5, y + 0.5, x + 15.5, y + 15.5, color, 1.5, radius=7.5)
    for cx in (4.5, 8, 11.5):
        c.ellipse(x + cx - 1.3, y + 6.7, x + cx + 1.3, y + 9.3, color)


def chevron(c, x, y, color):
    c.stroke([(x, y), (x + 3.5, y + 3.5), (x + 7, y)], color, 1.6)


# ---------------------------------------------------------------------------
# Buttons


def button_base(width, height, theme, unit):
    c = Canvas(width, height, unit)
    c.gradient_rect(0, 0, width, height, theme["border"], theme["border"], radius=7)
    c.gradient_rect(1, 1, width - 1, height - 1, theme["fill_top"], theme["fill_bottom"], radius=6)
    return c


def feature_button(glyph, label, theme, unit):
    """A 96 x 32 toolbar button: glyph and label centred together."""
    width, height, size = 96, 32, 12
    c = button_base(width, height, theme, unit)
    gap = 6
    total = 16 + gap + text_width(label, size * unit) / unit
    left = round((width - total) / 2)
    glyph(c, left, 8, theme["icon"], theme["fill_top"])
    image = c.result()
    return put_text(image, (left + 16 + gap) * unit, 16 * unit, label, size * unit, theme["text"])


def kind_button(glyph, label, theme, unit, width):
    """A drop-down button 24 high, as wide as its kind asks: glyph, label and a chevron at the far end."""
    height, size = 24, 11
    c = button_base(width, height, theme, unit)
    glyph(c, 5, 4, theme["icon"], theme["fill_top"])
    chevron(c, width - 9.5, 10.5, theme["muted"])
    image = c.result()
    return put_text(image, 23 * unit, 12 * unit, label, size * unit, theme["text"])


def adapt(glyph):
    """Lets the glyphs that need no cut-outs take the background argument too."""
    return lambda c, x, y, color, background: glyph(c, x, y, color)


FEATURES = [
    # light name, dark name, glyph, label
    ("listviewbtn", "listviewblackbtn", adapt(glyph_list), "List"),
    ("iconviewbtn", "iconviewblackbtn", adapt(glyph_icons), "Icons"),
    ("folderviewbtn", "folderviewblackbtn", adapt(glyph_folder), "Folders"),
    ("whiterename", "renameblackbtn", adapt(glyph_rename), "Rename"),
    ("whiteclassify", "classifyblackbtn", adapt(glyph_classify), "Classify"),
    ("whitemove", "movetoblackbtn", glyph_move, "Move To"),
    ("whiteapps", "appsblackbtn", adapt(glyph_apps), "Apps"),
]

# The show-files button takes the width of the kind chosen last.
KIND_WIDTHS = {"All Files": 84, "Images": 84, "Archives": 84, "Documents": 108, "Videos": 84, "Audios": 136,
               "Others": 72}

KINDS = [
    ("showallfilesbtn", "showallfileblackbtn", glyph_all, "All Files"),
    ("showimagesbtn", "showimageblackbtn", glyph_images, "Images"),
    ("archivebtn", "showarchiveblackbtn", glyph_archives, "Archives"),
    ("showdocumentsbtn", "showdocumentsblackbtn", glyph_documents, "Documents"),
    ("showvideosbtn", "showvideoblackbtn", glyph_videos, "Videos"),
    ("showaudiosbtn", "showaudioblackbtn", glyph_audios, "Audios"),
    ("otherbtn", "showotherblackbtn", glyph_others, "Others"),
]


# ---------------------------------------------------------------------------
# Panel backgrounds: a soft vertical gradient with a faint, fixed grain that keeps it from banding.


def background(top, bottom, grain, seed):
    size = 256
    rng = random.Random(seed)
    image = Image.new("RGB", (size, size))
    pixels = image.load()
    for y in range(size):
        base = [a + (b - a) * y / (size - 1) for a, b in zip(top, bottom)]
        for x in range(size):
            n = rng.uniform(-grain, grain)
            pixels[x, y] = tuple(max(0, min(255, round(v + n))) for v in base)
    return image


# ---------------------------------------------------------------------------
# Large icons, 256 x 256


def folder_icon():
    c = Canvas(256, 256, 1)
    # Back with its tab.
    back = c.layer()
    d = ImageDraw.Draw(back)
    tab = [(22, 58), (22, 44), (30, 36), (96, 36), (112, 52), (226, 52), (234, 60), (234, 210), (22, 210)]
    d.polygon([(c.s(x), c.s(y)) for x, y in tab], fill=rgba(TEAL_DEEP))
    d.rounded_rectangle(c.box(22, 50, 234, 214), radius=c.s(14), fill=rgba(TEAL_DEEP))
    d.rounded_rectangle(c.box(22, 36, 112, 70), radius=c.s(10), fill=rgba(TEAL_DEEP))
    c.shadow(back, blur=5, offset=5, alpha=70)
    c.put(back)
    # Sheets of paper peeking out.
    c.rect(38, 64, 218, 140, (214, 226, 230), radius=6)
    c.rect(44, 72, 212, 140, (250, 251, 252), radius=6)
    # Front, with a light edge along its top.
    front = c.layer()
    ImageDraw.Draw(front).rounded_rectangle(c.box(22, 88, 234, 222), radius=c.s(14), fill=(0, 0, 0, 255))
    c.shadow(front, blur=3, offset=-1.5, alpha=60)
    c.gradient_rect(22, 88, 234, 222, mix(TEAL_MID, (255, 255, 255), 0.08), TEAL, radius=14)
    c.gradient_rect(22, 88, 234, 92, TEAL_SOFT, TEAL_SOFT, radius=2)
    c.rect(30, 88, 226, 90.5, TEAL_SOFT)
    return c.result()


def file_icon():
    c = Canvas(256, 256, 1)
    page = [(52, 20), (162, 20), (208, 66), (208, 236), (52, 236)]
    shape = c.layer()
    ImageDraw.Draw(shape).polygon([(c.s(x), c.s(y)) for x, y in page], fill=(0, 0, 0, 255))
    c.shadow(shape, blur=6, offset=5, alpha=80)
    c.polygon(page, (196, 206, 216))
    inner = [(55, 23), (160.8, 23), (205, 67.2), (205, 233), (55, 233)]
    fill = c.layer()
    ImageDraw.Draw(fill).polygon([(c.s(x), c.s(y)) for x, y in inner], fill=(255, 255, 255, 255))
    c.put(fill)
    c.gradient_rect(55, 150, 205, 233, (255, 255, 255), (244, 247, 250))
    # The folded corner.
    c.polygon([(162, 20), (208, 66), (170, 66), (162, 58)], (196, 206, 216))
    c.polygon([(164, 26), (202, 64), (172, 64), (164, 56)], (232, 237, 242))
    # A few lines of text.
    for i, width in enumerate((64, 78, 50)):
        c.rect(78, 44 + i * 16, 78 + width, 52 + i * 16, (222, 228, 235), radius=4)
    # A package: the generic program or file.
    cx, cy, r = 130, 166, 46
    top = [(cx, cy - r), (cx + r * 0.87, cy - r / 2), (cx, cy), (cx - r * 0.87, cy - r / 2)]
    left = [(cx - r * 0.87, cy - r / 2), (cx, cy), (cx, cy + r), (cx - r * 0.87, cy + r / 2)]
    right = [(cx, cy), (cx + r * 0.87, cy - r / 2), (cx + r * 0.87, cy + r / 2), (cx, cy + r)]
    c.polygon(top, TEAL_SOFT)
    c.polygon(left, TEAL_MID)
    c.polygon(right, TEAL)
    c.stroke([(cx - r * 0.87, cy - r / 2), (cx, cy), (cx + r * 0.87, cy - r / 2)], (255, 255, 255), 2.5,
             caps=False)
    c.stroke([(cx, cy), (cx, cy + r)], (255, 255, 255), 2.5, caps=False)
    return c.result()


def app_icon():
    c = Canvas(256, 256, 1)
    tile = c.layer()
    ImageDraw.Draw(tile).rounded_rectangle(c.box(16, 16, 240, 240), radius=c.s(54), fill=(0, 0, 0, 255))
    c.shadow(tile, blur=6, offset=4, alpha=70)
    c.gradient_rect(16, 16, 240, 240, mix(TEAL_MID, (255, 255, 255), 0.1), TEAL_DEEP, radius=54)

    def page(angle, dx, dy, tone):
        layer = c.layer()
        d = ImageDraw.Draw(layer)
        d.rounded_rectangle(c.box(76 + dx, 56 + dy, 180 + dx, 196 + dy), radius=c.s(8), fill=rgba(tone))
        return layer.rotate(angle, resample=Image.BICUBIC, center=(c.s(128 + dx), c.s(126 + dy)))

    # Two pages fanned behind the front one.
    for angle, dx, tone in ((12, -14, (166, 214, 207)), (-9, 12, (208, 236, 232))):
        layer = page(angle, dx, 0, tone)
        c.shadow(layer, blur=4, offset=3, alpha=60)
        c.put(layer)
    front = page(0, 0, 4, (253, 254, 254))
    c.shadow(front, blur=5, offset=4, alpha=80)
    c.put(front)

    # A folder tree on the front page: a root folder and three branches.
    def mini_folder(x, y, w, h, color):
        c.rect(x, y, x + w * 0.45, y + h * 0.4, color, radius=2.5)
        c.rect(x, y + h * 0.2, x + w, y + h, color, radius=3)

    mini_folder(88, 76, 32, 23, TEAL)
    trunk = 97
    c.rect(trunk, 99, trunk + 5, 172, TEAL_MID, radius=2.5)
    for i, y in enumerate((120, 146, 170)):
        c.rect(trunk, y - 2.5, trunk + 20, y + 2.5, TEAL_MID, radius=2.5)
        mini_folder(trunk + 20, y - 11, 30, 21, TEAL if i == 1 else TEAL_MID)
        c.rect(trunk + 56, y - 2, trunk + 56 + (16 if i == 1 else 12), y + 2, (200, 214, 219), radius=2)
    return c.result()


def banner_icon(color):
    """The tray icon, 44 x 44: a folder with an application tile, one flat colour for a panel."""
    c = Canvas(44, 44, 1)
    c.rect(4, 9, 20, 15, color, radius=2)
    c.rect(4, 12, 34, 34, color, radius=3)
    c.rect(7, 17, 31, 19.5, (0, 0, 0), radius=1)
    hole = c.layer()
    ImageDraw.Draw(hole).rounded_rectangle(c.box(22, 22, 42, 42), radius=c.s(5), fill=(0, 0, 0, 255))
    c.image = ImageChops.subtract(c.image, Image.merge("RGBA", [Image.new("L", hole.size, 0)] * 3 +
                                                       [hole.getchannel("A")]))
    c.rect(24, 24, 40, 40, color, radius=4)
    c.rect(28.5, 28.5, 35.5, 35.5, (0, 0, 0), radius=1.5)
    # The black marks are cut out: the icon has one colour and transparent gaps.
    alpha = c.image.getchannel("A")
    lum = c.image.convert("L").point(lambda v: 255 if v > 8 else 0)
    flat = Image.new("RGBA", c.image.size, rgba(color))
    flat.putalpha(ImageChops.multiply(alpha, lum))
    c.image = flat
    return c.result()


# ---------------------------------------------------------------------------


def build(out):
    """Returns {file name: image} for every image, writing them to `out`."""
    images = {}
    for light, dark, glyph, label in FEATURES:
        for name, theme in ((light, LIGHT), (dark, DARK)):
            images[name + ".png"] = feature_button(glyph, label, theme, 1)
            images[name + "@2x.png"] = feature_button(glyph, label, theme, 2)
    for light, dark, glyph, label in KINDS:
        for name, theme in ((light, LIGHT), (dark, DARK)):
            images[name + ".png"] = kind_button(glyph, label, theme, 1, KIND_WIDTHS[label])
            images[name + "@2x.png"] = kind_button(glyph, label, theme, 2, KIND_WIDTHS[label])
    images["whiteground.png"] = background((252, 253, 254), (241, 244, 248), 0.9, 1)
    images["grayimage.png"] = background((234, 239, 244), (219, 226, 234), 0.9, 2)
    images["blackground.png"] = background((39, 41, 43), (27, 28, 29), 0.9, 3)
    images["smartFolder.png"] = folder_icon()
    images["fileimage.png"] = file_icon()
    images["vellumry.png"] = app_icon()
    images["bannerIcon.png"] = banner_icon((46, 52, 64))
    images["darkbannerIcon.png"] = banner_icon((236, 239, 244))

    os.makedirs(out, exist_ok=True)
    for name, image in sorted(images.items()):
        image.save(os.path.join(out, name), optimize=True)
    return images


def contact_sheet(images, path):
    """Lays the set out on the light and the dark toolbar colour, for checking by eye.

    Each half shows the large icons at full size and at the 48 and 32 pixel sizes the file grid uses,
    then that half's buttons at 1x and @2x. The three backgrounds run along the bottom."""
    icons = ["smartFolder.png", "fileimage.png", "vellumry.png"]
    grounds = ["whiteground.png", "grayimage.png", "blackground.png"]
    half = 1000
    height = 20 + 276 + 20 + 8 * 76 + 20 + 140
    sheet = Image.new("RGBA", (2 * half, height))
    draw = ImageDraw.Draw(sheet)
    for side, color in ((0, (243, 246, 250)), (1, (29, 30, 31))):
        draw.rectangle([side * half, 0, side * half + half - 1, height - 1], fill=rgba(color))
        x0 = side * half + 20
        for i, name in enumerate(icons):
            icon = images[name]
            sheet.alpha_composite(icon, (x0 + i * 330, 20))
            for j, size in enumerate((48, 32)):
                sheet.alpha_composite(icon.resize((size, size), Image.LANCZOS),
                                      (x0 + i * 330 + 264, 20 + 120 + j * 64))
        dark = side == 1
        pairs = FEATURES + KINDS
        for row, (light_name, dark_name, _, _) in enumerate(pairs):
            name = dark_name if dark else light_name
            col, line = divmod(row, 8)
            x = x0 + col * 480
            y = 316 + line * 76
            sheet.alpha_composite(images[name + ".png"], (x, y + 16))
            sheet.alpha_composite(images[name + "@2x.png"], (x + 164, y))
    for i, name in enumerate(grounds):
        ground = images[name].convert("RGBA").resize((half * 2 // 3 - 20, 120))
        sheet.alpha_composite(ground, (10 + i * (half * 2 // 3), height - 130))
    sheet.save(path)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(HERE, "images"))
    parser.add_argument("--sheet", help="also write a contact sheet of the set to this PNG file")
    args = parser.parse_args()
    images = build(args.out)
    if args.sheet:
        contact_sheet(images, args.sheet)


if __name__ == "__main__":
    main()
