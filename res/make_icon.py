#!/usr/bin/env python3
"""Draws the generator's icon IDI_GENERATOR: a blue shield with a golden rim
and a golden V, on a transparent ground. Writes generator32.png and
generator16.png beside this script (the window's icon), and the icons the
desktop shows, data/icons/tarvo-N.png for N = 16, 32, 48, 64, 128, 256 and
the scalable data/icons/tarvo.svg, drawn from the same shapes. The web page
installed on a phone takes tarvo-192.png and tarvo-512.png, and
tarvo-maskable-512.png: the shield on an opaque square, small enough that
whatever shape the phone cuts the square to leaves it whole. The desktop's
icons are only the N above.
Standard library only."""
import os
import struct
import zlib

BLUE = (32, 64, 150)
GOLD = (226, 178, 40)
DARK = (20, 28, 60)

# The rim's width as a share of the icon; small icons keep a rim of about two
# pixels, so that it shows at all.
RIM = 0.045
DESKTOP_SIZES = (16, 32, 48, 64, 128, 256)
WEB_SIZES = (192, 512)
MASKABLE_SIZE = 512
# A maskable icon is cut to any shape that holds the circle of radius
# MASKABLE_SAFE about its middle (a share of the icon's side); the shield
# keeps to MASKABLE_SHIELD of that circle, on a ground of the rim's dark.
MASKABLE_SAFE = 0.40
MASKABLE_SHIELD = 0.80
MASKABLE_GROUND = DARK
SHIELD_TOP, SHIELD_LEFT, SHIELD_RIGHT, SHIELD_BOTTOM, SHIELD_WAIST = 0.08, 0.12, 0.88, 0.95, 0.55
# The V: two strokes of half-width V_HALF_WIDTH from the upper corners to the
# lower middle, with round ends.
V_STROKES = ((0.30, 0.22, 0.50, 0.74), (0.70, 0.22, 0.50, 0.74))
V_HALF_WIDTH = 0.075


def rim_for(size):
    if size < 24:
        return 1.6 / size
    return max(2.2 / size, RIM)


def inside_shield(x, y, inset):
    """Unit square coordinates (0..1); the shield is a flat top, straight
    sides and a pointed base formed by two arcs."""
    left, right, top = SHIELD_LEFT + inset, SHIELD_RIGHT - inset, SHIELD_TOP + inset
    if y < top or x < left or x > right:
        return False
    if y <= SHIELD_WAIST:
        return True
    # Lower half: the sides curve in to the point at (0.5, bottom), along a
    # quarter of an ellipse on each side.
    bottom = SHIELD_BOTTOM - inset
    t = (y - SHIELD_WAIST) / (bottom - SHIELD_WAIST)
    if t > 1:
        return False
    half = (right - left) / 2 * (1 - t * t) ** 0.5
    return abs(x - 0.5) <= half


def on_v(x, y):
    """A V of two strokes from the upper corners to the lower middle."""
    def near(ax, ay, bx, by, width):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        px, py = ax + t * dx, ay + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= width * width
    return any(near(*stroke, V_HALF_WIDTH) for stroke in V_STROKES)


def colour_at(x, y, size):
    rim = rim_for(size)
    if not inside_shield(x, y, 0.0):
        return None
    if not inside_shield(x, y, rim):
        return DARK if not inside_shield(x, y, rim / 2.5) else GOLD
    if on_v(x, y):
        return GOLD
    return BLUE


def shield_circle():
    """The smallest circle about the shield, as (centre's y, radius): the one
    through the upper corners and the point; the curved sides lie inside it."""
    half = (SHIELD_RIGHT - SHIELD_LEFT) / 2
    centre = ((SHIELD_BOTTOM ** 2 - SHIELD_TOP ** 2 - half ** 2) /
              (2 * (SHIELD_BOTTOM - SHIELD_TOP)))
    return centre, SHIELD_BOTTOM - centre


def maskable(size):
    """colour_at() for the maskable icon: the shield scaled down to the safe
    circle with its own circle's centre in the middle, on an opaque ground."""
    centre, radius = shield_circle()
    scale = MASKABLE_SAFE * MASKABLE_SHIELD / radius

    def paint(x, y):
        c = colour_at(0.5 + (x - 0.5) / scale, centre + (y - 0.5) / scale, size * scale)
        return MASKABLE_GROUND if c is None else c
    return paint


def render(size, samples=8, paint=None):
    """Rows of RGBA pixels, each the mean of samples x samples points;
    paint(x, y) is the colour at a point of the unit square, None where
    transparent (by default the shield's own, colour_at())."""
    if paint is None:
        def paint(x, y):
            return colour_at(x, y, size)
    rows = []
    for py in range(size):
        row = bytearray([0])  # filter type: none
        for px in range(size):
            r = g = b = a = 0
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) / size
                    y = (py + (sy + 0.5) / samples) / size
                    c = paint(x, y)
                    if c is not None:
                        r, g, b, a = r + c[0], g + c[1], b + c[2], a + 1
            n = samples * samples
            if a:
                row += bytes([r // a, g // a, b // a, 255 * a // n])
            else:
                row += bytes([0, 0, 0, 0])
        rows.append(bytes(row))
    return rows


def write_png(path, size, rows):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", header))
        out.write(chunk(b"IDAT", zlib.compress(b"".join(rows), 9)))
        out.write(chunk(b"IEND", b""))


def shield_path(inset, scale):
    """The outline inside_shield() fills, as SVG path data."""
    left, right = SHIELD_LEFT + inset, SHIELD_RIGHT - inset
    top, bottom = SHIELD_TOP + inset, SHIELD_BOTTOM - inset
    rx, ry = (right - left) / 2, bottom - SHIELD_WAIST

    def n(value):
        return "%g" % round(value * scale, 3)
    return ("M{l},{t}H{r}V{w}A{rx},{ry} 0 0 1 {m},{b}A{rx},{ry} 0 0 1 {l},{w}Z"
            .format(l=n(left), t=n(top), r=n(right), w=n(SHIELD_WAIST), rx=n(rx), ry=n(ry),
                    m=n(0.5), b=n(bottom)))


def svg(scale=256):
    def hexa(colour):
        return "#%02x%02x%02x" % colour

    def n(value):
        return "%g" % round(value * scale, 3)
    strokes = "".join('<line x1="%s" y1="%s" x2="%s" y2="%s"/>' % tuple(n(v) for v in stroke)
                      for stroke in V_STROKES)
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="{s}" height="{s}" '
            'viewBox="0 0 {s} {s}">\n'
            '<path fill="{dark}" d="{outer}"/>\n'
            '<path fill="{gold}" d="{band}"/>\n'
            '<path fill="{blue}" d="{inner}"/>\n'
            '<g stroke="{gold}" stroke-width="{width}" stroke-linecap="round">{strokes}</g>\n'
            '</svg>\n').format(s=scale, dark=hexa(DARK), gold=hexa(GOLD), blue=hexa(BLUE),
                              outer=shield_path(0.0, scale),
                              band=shield_path(RIM / 2.5, scale),
                              inner=shield_path(RIM, scale),
                              width=n(2 * V_HALF_WIDTH), strokes=strokes)


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    for size in (32, 16):
        write_png(os.path.join(here, "generator%d.png" % size), size, render(size))
    icons = os.path.join(os.path.dirname(here), "data", "icons")
    os.makedirs(icons, exist_ok=True)
    for size in DESKTOP_SIZES:
        # Large icons have pixels enough: fewer samples per pixel do.
        write_png(os.path.join(icons, "tarvo-%d.png" % size), size,
                  render(size, 8 if size <= 64 else 4))
    for size in WEB_SIZES:
        write_png(os.path.join(icons, "tarvo-%d.png" % size), size, render(size, 4))
    write_png(os.path.join(icons, "tarvo-maskable-%d.png" % MASKABLE_SIZE), MASKABLE_SIZE,
              render(MASKABLE_SIZE, 4, maskable(MASKABLE_SIZE)))
    with open(os.path.join(icons, "tarvo.svg"), "w", encoding="ascii") as out:
        out.write(svg())
