#!/usr/bin/env python3
"""Draws the analyser editor's six PNG images into resources/img.

Shapes are antialiased from signed distances; text comes from ImageMagick's
`convert` as a coverage mask in a DejaVu font. The PNG files hold only
IHDR, IDAT and IEND, so the same tools give the same bytes on every run.

Usage: tools/draw-images.py [output folder]   (default: resources/img)
"""
import math
import os
import shutil
import struct
import subprocess
import sys
import zlib

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
FONT = os.path.join(FONT_DIR, "DejaVuSans.ttf")
FONT_BOLD = os.path.join(FONT_DIR, "DejaVuSans-Bold.ttf")

# Editor layout: where the backdrop must leave room for the controls.
SONOGRAM = (10, 10, 1034, 267)
READOUTS = (10, 270, 1034, 286)
ABOUT_BUTTON = (606, 303, 737, 333)
KNOB_SIZE = 25
KNOB_FRAMES = 145
KNOB_SWEEP = math.radians(270)
LABEL_TOP = 331
LABEL_SIZE = 9

# (x, y, label, tick positions 0..1)
KNOBS = [
    (140, 304, "window", [0, 0.25, 0.5, 0.75, 1]),
    (230, 304, "offset", [0, 0.5, 1]),
    (380, 304, "1", [0, 1]),
    (410, 304, "2", [0, 1]),
    (870, 304, "speed", [0, 0.5, 1]),
    (980, 304, "gain", [0, 0.5, 1]),
]
CHECK_BOXES = [(456, 312, "markers"), (928, 312, "scroll")]
SWITCHES = [(33, 302, "L/R", 3), (67, 302, "phase", 2)]
MARKER_GROUP = (380, 435, "marker")  # heading over the two marker knobs
GROOVES = [112, 312, 540, 802]

TEXT = (0.72, 0.74, 0.78)
TEXT_DIM = (0.50, 0.52, 0.56)
AMBER = (1.0, 0.70, 0.28)


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def grey(level):
    return (level / 255.0,) * 3


def rgb(r, g, b):
    return (r / 255.0, g / 255.0, b / 255.0)


# ---------------------------------------------------------------- canvas

class Canvas:
    """Straight-alpha RGBA pixels as floats 0..1, row 0 at the top."""

    def __init__(self, width, height, fill=(0.0, 0.0, 0.0, 0.0)):
        self.width, self.height = width, height
        self.px = [list(fill) for _ in range(width * height)]

    def blend(self, x, y, colour, alpha):
        if alpha <= 0.0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        p = self.px[y * self.width + x]
        keep = p[3] * (1.0 - alpha)
        out = alpha + keep
        for i in range(3):
            p[i] = (colour[i] * alpha + p[i] * keep) / out
        p[3] = out

    def paint(self, box, coverage, colour, alpha=1.0):
        """Blends colour (a tuple or a function of the pixel centre) wherever
        coverage (a function of the pixel centre) is above 0, inside box."""
        x0, y0, x1, y1 = (int(math.floor(box[0])), int(math.floor(box[1])),
                          int(math.ceil(box[2])), int(math.ceil(box[3])))
        x0, y0 = max(x0, 0), max(y0, 0)
        x1, y1 = min(x1, self.width), min(y1, self.height)
        fixed = None if callable(colour) else colour
        for y in range(y0, y1):
            cy = y + 0.5
            for x in range(x0, x1):
                cx = x + 0.5
                c = coverage(cx, cy)
                if c > 0.0:
                    self.blend(x, y, fixed or colour(cx, cy), c * alpha)

    def png_rows(self):
        for y in range(self.height):
            row = bytearray()
            for p in self.px[y * self.width:(y + 1) * self.width]:
                row += bytes(int(round(clamp(v) * 255)) for v in p)
            yield bytes(row)


def write_png(path, canvas):
    """8-bit RGBA, Paeth filter on every row, no ancillary chunks."""
    stride, prev, raw = canvas.width * 4, None, bytearray()
    for row in canvas.png_rows():
        prev = prev or bytes(stride)
        out = bytearray(stride)
        for i in range(stride):
            a = row[i - 4] if i >= 4 else 0
            b = prev[i]
            c = prev[i - 4] if i >= 4 else 0
            pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
            pred = a if pa <= pb and pa <= pc else b if pb <= pc else c
            out[i] = (row[i] - pred) & 0xFF
        raw += b"\x04" + out
        prev = row

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    ihdr = struct.pack(">IIBBBBB", canvas.width, canvas.height, 8, 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
                chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


# ---------------------------------------------------------------- shapes
# Signed distances (negative inside); a pixel's coverage is 0.5 - distance.

def cover(distance, softness=1.0):
    return lambda x, y: clamp(0.5 - distance(x, y) / softness)


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def rounded_rect(left, top, right, bottom, r):
    cx, cy = (left + right) / 2, (top + bottom) / 2
    hx, hy = (right - left) / 2 - r, (bottom - top) / 2 - r

    def d(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - r
    return d


def capsule(x0, y0, x1, y1, r):
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy or 1.0

    def d(x, y):
        t = clamp(((x - x0) * dx + (y - y0) * dy) / length2)
        return math.hypot(x - x0 - t * dx, y - y0 - t * dy) - r
    return d


def polyline(points, r):
    parts = [capsule(*points[i], *points[i + 1], r) for i in range(len(points) - 1)]
    return lambda x, y: min(p(x, y) for p in parts)


def vertical(top, bottom, c_top, c_bottom):
    return lambda x, y: mix(c_top, c_bottom, clamp((y - top) / (bottom - top)))


def fill_rect(canvas, box, colour):
    canvas.paint(box, cover(rounded_rect(*box, 0)), colour)


def bevel(canvas, box, r, light, dark, raised=True):
    """One-pixel edges around box: light above and left and dark below and
    right when raised, the other way round when sunk."""
    top_left, bottom_right = (light, dark) if raised else (dark, light)
    l, t, rt, b = box
    outer = rounded_rect(l, t, rt, b, r)
    upper = rounded_rect(l + 1, t + 1, rt, b, max(r - 0.5, 0))
    lower = rounded_rect(l, t, rt - 1, b - 1, max(r - 0.5, 0))
    canvas.paint(box, lambda x, y: clamp(0.5 - outer(x, y)) * clamp(0.5 + upper(x, y)),
                 top_left)
    canvas.paint(box, lambda x, y: clamp(0.5 - outer(x, y)) * clamp(0.5 + lower(x, y)),
                 bottom_right)


# ---------------------------------------------------------------- text

_masks = {}


def text_mask(text, size, font):
    """Coverage rows of text as ImageMagick renders it, cropped to the ink's
    columns; the height is the font's line height, so baselines line up."""
    key = (text, size, font)
    if key not in _masks:
        pgm = subprocess.run(
            ["convert", "-background", "black", "-fill", "white", "-font", font,
             "-pointsize", str(size), "label:" + text.replace("%", "%%"),
             "-colorspace", "gray", "-depth", "8", "pgm:-"],
            check=True, capture_output=True).stdout
        fields = pgm.split(maxsplit=4)
        w, h, data = int(fields[1]), int(fields[2]), fields[4]
        rows = [[data[y * w + x] / 255.0 for x in range(w)] for y in range(h)]
        inked = [x for x in range(w) if any(row[x] for row in rows)]
        x0, x1 = (inked[0], inked[-1] + 1) if inked else (0, 0)
        _masks[key] = [row[x0:x1] for row in rows]
    return _masks[key]


def draw_text(canvas, text, x, top, size=LABEL_SIZE, colour=TEXT, font=FONT,
              align="centre", shadow=0.55):
    """Text whose ink is centred on x, or starts or ends at x ("left",
    "right"); a dark copy one pixel lower engraves it into the panel."""
    rows = text_mask(text, size, font)
    width = len(rows[0]) if rows else 0
    left = int(round({"centre": x - width / 2, "left": x, "right": x - width}[align]))
    for dy, tint, alpha in ((1, (0, 0, 0), shadow), (0, colour, 1.0)):
        if alpha <= 0:
            continue
        for y, row in enumerate(rows):
            for i, c in enumerate(row):
                canvas.blend(left + i, top + dy + y, tint, c * alpha)
    return width


# ---------------------------------------------------------------- sonogram colours

def sonogram_colour(x, y, big_y, z=None):
    """The sonogram's chromaticity-to-pixel conversion, as floats 0..1."""
    if y == 0:
        return (0.0, 0.0, 0.0)
    z = 1 - (x + y) if z is None else z
    cx, cz = x * big_y / y, z * big_y / y
    r = 3.240479 * cx - 1.53715 * big_y - 0.498535 * cz
    g = -0.969256 * cx + 1.875991 * big_y + 0.041556 * cz
    b = 0.055648 * cx - 0.204043 * big_y + 1.057311 * cz
    return tuple(min(max(v, 0.0) ** (1 / 2.2), 1.0) for v in (r, g, b))


def balance_colour(balance, brightness):
    xb = 0.249076 * balance ** 2 - 0.699076 * balance + 0.6
    yb = 0.4 + 0.016132 * balance - 0.316132 * balance ** 2
    return sonogram_colour(xb, yb, brightness)


def white(brightness):
    return sonogram_colour(0.312731, 0.329033, brightness, 0.35823601484298706)


def opposed_green(brightness):
    return sonogram_colour(0.321, 0.597, brightness, 0.0820000171661377)


# Colour bars shared by the display switches and the about legend.
BARS = {
    "off": lambda t: grey(34),
    "balance": lambda t: balance_colour(t, 0.6),
    "white": lambda t: white(0.75),
    "green": lambda t: opposed_green(0.6),
    "brightness": lambda t: white(t),
}


def colour_bar(canvas, box, kind):
    l, t, r, b = box
    shade = BARS[kind]
    canvas.paint(box, cover(rounded_rect(l, t, r, b, 1.5)),
                 lambda x, y: shade(clamp((x - l) / (r - l))))


# ---------------------------------------------------------------- knob

def knob_frame(angle):
    """One 25 x 25 frame; angle in radians, 0 up, clockwise. The light comes
    from above, so only the pointer moves from frame to frame."""
    c = Canvas(KNOB_SIZE, KNOB_SIZE)
    m = KNOB_SIZE / 2
    box = (0, 0, KNOB_SIZE, KNOB_SIZE)
    c.paint(box, cover(circle(m, m + 1.0, 11.6), 2.0), (0, 0, 0), 0.6)
    c.paint(box, cover(circle(m, m, 11.0)), vertical(1.5, 23.5, grey(150), grey(26)))
    c.paint(box, cover(circle(m, m, 10.0)), vertical(2.5, 22.5, grey(30), grey(96)))
    c.paint(box, cover(circle(m, m, 9.1)), vertical(3.4, 21.6, grey(88), grey(46)))
    c.paint(box, cover(circle(m - 1.5, m - 2.5, 5.5), 5.0), grey(140), 0.35)
    sx, sy = math.sin(angle), -math.cos(angle)
    c.paint(box, cover(capsule(m + 3.0 * sx, m + 3.0 * sy, m + 9.4 * sx, m + 9.4 * sy, 1.9)),
            (0, 0, 0), 0.35)
    c.paint(box, cover(capsule(m + 3.2 * sx, m + 3.2 * sy, m + 9.6 * sx, m + 9.6 * sy, 1.2)),
            (0.97, 0.96, 0.93))
    return c


def draw_knob_strip():
    strip = Canvas(KNOB_SIZE, KNOB_SIZE * KNOB_FRAMES)
    for i in range(KNOB_FRAMES):
        frame = knob_frame(KNOB_SWEEP * (i / (KNOB_FRAMES - 1) - 0.5))
        strip.px[i * KNOB_SIZE * KNOB_SIZE:(i + 1) * KNOB_SIZE * KNOB_SIZE] = frame.px
    return strip


# ---------------------------------------------------------------- check box

def check_box_frame(c, top, on):
    box = (0, top, 21, top + 13)
    c.paint(box, cover(rounded_rect(0, top, 21, top + 13, 3)), grey(10))
    c.paint(box, cover(rounded_rect(1, top + 1, 20, top + 12, 2.2)),
            vertical(top + 1, top + 12, grey(26), grey(46)))
    tick = [(6.5, top + 6.8), (9.3, top + 9.4), (14.8, top + 3.6)]
    if on:
        c.paint(box, cover(polyline(tick, 1.0), 2.6), AMBER, 0.35)
        c.paint(box, cover(polyline(tick, 0.95)), rgb(255, 214, 140))
    else:
        c.paint(box, cover(polyline(tick, 0.8)), grey(70))


def draw_check_box():
    c = Canvas(21, 26)
    check_box_frame(c, 0, False)
    check_box_frame(c, 13, True)
    return c


# ---------------------------------------------------------------- display switches

def switch_frame(c, top, position, positions, bar):
    """A sideways slide: the thumb at position of positions, and below it the
    colour bar of what that mode shows."""
    box = (0, top, 25, top + 29)
    c.paint(box, cover(rounded_rect(0, top, 25, top + 29, 3.5)), grey(12))
    c.paint(box, cover(rounded_rect(1, top + 1, 24, top + 28, 2.8)),
            vertical(top + 1, top + 28, grey(44), grey(28)))
    c.paint(box, cover(rounded_rect(3, top + 5.5, 22, top + 10.5, 2.5)), grey(5))
    x = 7.5 + 10.0 * position / (positions - 1)
    c.paint(box, cover(rounded_rect(x - 4, top + 4, x + 4, top + 14, 2), 1.6),
            (0, 0, 0), 0.7)
    c.paint(box, cover(rounded_rect(x - 4, top + 2.5, x + 4, top + 13, 1.8)),
            vertical(top + 2.5, top + 13, grey(190), grey(96)))
    for groove in (x - 1.5, x + 1.5):
        c.paint(box, cover(capsule(groove, top + 5.5, groove, top + 10, 0.45)), grey(72))
    c.paint(box, cover(rounded_rect(3, top + 16, 22, top + 25, 2)), grey(5))
    colour_bar(c, (4, top + 17, 21, top + 24), bar)


def draw_switch(bars):
    c = Canvas(25, 29 * len(bars))
    for i, bar in enumerate(bars):
        switch_frame(c, 29 * i, i, len(bars), bar)
    return c


CHANNEL_BARS = ["off", "balance", "white"]   # "disp. LR" 0, 1, 2
PHASE_BARS = ["off", "green"]                # "disp. Phase" 0, 1


# ---------------------------------------------------------------- backdrop

def noise(seed):
    """A small deterministic generator (LCG) for the panel's grain."""
    state = [seed]

    def next_value():
        state[0] = (state[0] * 1103515245 + 12345) & 0x7FFFFFFF
        return state[0] / 0x7FFFFFFF - 0.5
    return next_value


def panel_base(c):
    rnd = noise(7)
    row_grain = [rnd() * 0.006 for _ in range(c.height)]
    for y in range(c.height):
        base = mix(grey(50), grey(31), y / (c.height - 1))
        for x in range(c.width):
            g = row_grain[y] + rnd() * 0.008
            c.px[y * c.width + x] = [base[0] + g, base[1] + g, base[2] + g + 0.004, 1.0]
    bevel(c, (0, 0, c.width, c.height), 0, grey(84), grey(12))


def display_well(c):
    """The recessed window that holds the sonogram and the read-out strip."""
    well = (5, 5, 1039, 290)
    fill_rect(c, well, grey(14))
    bevel(c, well, 0, grey(74), grey(6), raised=False)
    bevel(c, (6, 6, 1038, 289), 0, grey(40), grey(10), raised=False)
    sl, st, sr, sb = SONOGRAM
    fill_rect(c, (sl - 2, st - 2, sr + 2, sb + 2), grey(4))
    bevel(c, (sl - 2, st - 2, sr + 2, sb + 2), 0, grey(40), grey(4), raised=False)
    fill_rect(c, SONOGRAM, (0, 0, 0))
    rl, rt, rr, rb = READOUTS
    fill_rect(c, READOUTS, grey(19))
    fill_rect(c, (rl, rt, rr, rt + 1), grey(9))
    fill_rect(c, (rl, rb - 1, rr, rb), grey(27))


def knob_ticks(c, x, y, positions):
    m = KNOB_SIZE / 2
    cx, cy = x + m, y + m
    for p in positions:
        a = KNOB_SWEEP * (p - 0.5)
        sx, sy = math.sin(a), -math.cos(a)
        c.paint((cx - 17, cy - 17, cx + 17, cy + 17),
                cover(capsule(cx + 13.8 * sx, cy + 13.8 * sy, cx + 16.2 * sx, cy + 16.2 * sy,
                              0.75)), grey(165))


def control_wells(c):
    """Soft dark seats under knobs and switches, so they sit in the panel."""
    for x, y, _, ticks in KNOBS:
        m = KNOB_SIZE / 2
        c.paint((x - 4, y - 4, x + 29, y + 29), cover(circle(x + m, y + m, 12.4), 2.0),
                (0, 0, 0), 0.45)
        knob_ticks(c, x, y, ticks)
    for x, y, _, _ in SWITCHES:
        bevel(c, (x - 1, y - 1, x + 26, y + 30), 4, grey(72), grey(14), raised=False)
    for x, y, _ in CHECK_BOXES:
        bevel(c, (x - 1, y - 1, x + 22, y + 14), 3.5, grey(72), grey(14), raised=False)


def group_grooves(c):
    """Engraved lines between the groups of controls."""
    for x in GROOVES:
        fill_rect(c, (x, 296, x + 1, 342), grey(18))
        fill_rect(c, (x + 1, 296, x + 2, 342), grey(62))


def labels(c):
    for x, _, text, _ in KNOBS:
        draw_text(c, text, x + KNOB_SIZE / 2, LABEL_TOP)
    for x, _, text in CHECK_BOXES:
        draw_text(c, text, x + 10.5, LABEL_TOP)
    for x, _, text, _ in SWITCHES:
        draw_text(c, text, x + 12.5, LABEL_TOP)
    left, right, text = MARKER_GROUP
    centre = (left + right) / 2
    width = draw_text(c, text, centre, 290)
    for x0, x1 in ((left + 6, centre - width / 2 - 4), (centre + width / 2 + 4, right - 6)):
        fill_rect(c, (x0, 297, x1, 298), grey(96))
    for x in (left + 6, right - 7):
        fill_rect(c, (x, 297, x + 1, 301), grey(96))


def about_button(c):
    l, t, r, b = ABOUT_BUTTON
    c.paint((l - 3, t - 3, r + 4, b + 5), cover(rounded_rect(l - 1, t, r + 1, b + 2, 5), 2.5),
            (0, 0, 0), 0.6)
    c.paint(ABOUT_BUTTON, cover(rounded_rect(l, t, r, b, 4)), grey(12))
    c.paint(ABOUT_BUTTON, cover(rounded_rect(l + 1, t + 1, r - 1, b - 1, 3.2)),
            vertical(t + 1, b - 1, grey(92), grey(48)))
    c.paint(ABOUT_BUTTON, cover(rounded_rect(l + 2, t + 2, r - 2, b - 2, 2.5)),
            vertical(t + 2, b - 2, grey(74), grey(56)))
    w_about = len(text_mask("about", 10, FONT)[0])
    w_name = len(text_mask("Velvane", 12, FONT_BOLD)[0])
    x = (l + r) / 2 - (w_about + 5 + w_name) / 2
    draw_text(c, "about", x, t + 9, 10, TEXT, FONT, "left", 0.7)
    draw_text(c, "Velvane", x + w_about + 5, t + 7, 12, rgb(238, 226, 206), FONT_BOLD,
              "left", 0.7)


def draw_backdrop():
    c = Canvas(1044, 347)
    panel_base(c)
    display_well(c)
    control_wells(c)
    group_grooves(c)
    labels(c)
    about_button(c)
    return c


# ---------------------------------------------------------------- about picture

# The bars are those of the display switches' modes.
LEGEND = [
    ("brightness", "brightness: level of both channels \u00d7 gain"),
    ("balance", "L/R colour: orange left \u00b7 white centre \u00b7 blue right"),
    ("white", "L/R white (or off): no balance colour"),
    ("green", "phase on: opposite-phase parts turn green"),
    ("off", "L/R off + phase on: opposite-phase part only"),
]


def draw_about():
    w, h = 314, 170
    c = Canvas(w, h)
    c.paint((0, 0, w, h), cover(rounded_rect(0, 0, w, h, 7)), grey(8))
    c.paint((0, 0, w, h), cover(rounded_rect(1, 1, w - 1, h - 1, 6.2)),
            vertical(1, h - 1, grey(46), grey(24)))
    c.paint((0, 0, w, h), cover(rounded_rect(2, 2, w - 2, h - 2, 5.4)),
            vertical(2, h - 2, grey(36), grey(22)))
    draw_text(c, "Velvane", 16, 9, 22, rgb(240, 228, 206), FONT_BOLD, "left", 0.8)
    draw_text(c, "two-channel sonogram", w - 16, 8, 10, TEXT, FONT, "right")
    draw_text(c, "version 1.0.0", w - 16, 20, 10, TEXT_DIM, FONT, "right")
    for x in range(14, w - 14):
        t = (x - 14) / (w - 29)
        c.blend(x, 41, balance_colour(t, 0.5), 1.0)
    for i, (bar, text) in enumerate(LEGEND):
        y = 51 + 19 * i
        c.paint((14, y, 56, y + 11), cover(rounded_rect(14, y, 56, y + 11, 2.5)), grey(4))
        colour_bar(c, (15, y + 1, 55, y + 10), bar)
        if bar == "off":
            colour_bar(c, (35, y + 1, 55, y + 10), "green")
        draw_text(c, text, 64, y - 1, 9, TEXT, FONT, "left")
    draw_text(c, "click to close", w / 2, h - 18, 9, TEXT_DIM)
    return c


# ---------------------------------------------------------------- icon

def draw_icon(size):
    """A dark rounded tile with a small sonogram: columns of the balance
    colours and a bright band rising across them."""
    c = Canvas(size, size)
    k = size / 32.0
    tile = rounded_rect(0.5, 0.5, size - 0.5, size - 0.5, 5 * k)
    c.paint((0, 0, size, size), cover(tile), rgb(24, 26, 30))
    inner = (3 * k, 3 * k, size - 3 * k, size - 3 * k)
    for x in range(int(inner[0]), int(math.ceil(inner[2]))):
        t = (x - inner[0]) / max(inner[2] - inner[0] - 1, 1)
        for y in range(int(inner[1]), int(math.ceil(inner[3]))):
            u = 1.0 - (y - inner[1]) / max(inner[3] - inner[1] - 1, 1)
            band = math.exp(-((u - (0.15 + 0.7 * t)) / 0.16) ** 2)
            level = 0.01 + 0.99 * band ** 2
            c.blend(x, y, balance_colour(0.5 + 0.5 * math.sin(6.0 * t + 2.0 * u), level), 1.0)
    c.paint((0, 0, size, size), cover(lambda x, y: abs(tile(x, y) + 0.75) - 0.75),
            rgb(120, 124, 132), 0.8)
    return c


def write_ico(path, canvases):
    """An icon group of 32-bit images: BGRA rows bottom-up and an AND mask."""
    images = []
    for canvas in canvases:
        w, h = canvas.width, canvas.height
        rows = list(canvas.png_rows())
        xor = bytearray()
        for row in reversed(rows):
            for i in range(0, len(row), 4):
                xor += bytes((row[i + 2], row[i + 1], row[i], row[i + 3]))
        mask_stride = ((w + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(rows):
            bits = bytearray(mask_stride)
            for x in range(w):
                if row[4 * x + 3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0, len(xor) + len(mask),
                             0, 0, 0, 0)
        images.append((w, h, header + bytes(xor) + bytes(mask)))
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for w, h, data in images:
        directory += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(directory + b"".join(data for _, _, data in images))


# ---------------------------------------------------------------- main

IMAGES = [
    ("back.png", draw_backdrop),
    ("kwo_knob_x0x.png", draw_knob_strip),
    ("ckb.png", draw_check_box),
    ("qv_sw_LR.png", lambda: draw_switch(CHANNEL_BARS)),
    ("qv_sw_PH.png", lambda: draw_switch(PHASE_BARS)),
    ("about_v100.png", draw_about),
]


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "resources", "img")
    for font in (FONT, FONT_BOLD):
        if not os.path.exists(font):
            sys.exit("missing font %s (Debian package fonts-dejavu-core)" % font)
    if shutil.which("convert") is None:
        sys.exit("missing ImageMagick's convert (Debian package imagemagick)")
    os.makedirs(out, exist_ok=True)
    for name, draw in IMAGES:
        write_png(os.path.join(out, name), draw())
        print("wrote", os.path.join(out, name))
    write_ico(os.path.join(out, "velvane.ico"), [draw_icon(16), draw_icon(32)])
    print("wrote", os.path.join(out, "velvane.ico"))


if __name__ == "__main__":
    main()
