#!/usr/bin/env python3
"""Draws Zandolet's pictures (logo, about-box network picture, window icon).

Standard library only: shapes are rendered with distance-based anti-aliasing
and written as PNG through zlib.  Run from any folder; the PNGs are written
beside this script.
"""
import math
import os
import struct
import zlib

NAVY = (10, 26, 63)
TEAL = (18, 127, 137)
LIGHT_TEAL = (120, 222, 214)
WHITE = (255, 255, 255)


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.rgb = [[0.0, 0.0, 0.0] for _ in range(w * h)]
        self.alpha = [1.0] * (w * h)

    def gradient(self, c0, c1, glow=None):
        """Diagonal navy-to-teal wash, optionally brightened around a point."""
        for y in range(self.h):
            for x in range(self.w):
                t = clamp((x / self.w) * 0.45 + (y / self.h) * 0.55)
                col = [c0[i] + (c1[i] - c0[i]) * t for i in range(3)]
                if glow:
                    gx, gy, gr, gs = glow
                    d = math.hypot(x + 0.5 - gx, y + 0.5 - gy) / gr
                    k = gs * clamp(1.0 - d) ** 2
                    col = [c + (255 - c) * k for c in col]
                self.rgb[y * self.w + x] = col

    def layer(self):
        return Layer(self.w, self.h)

    def paint(self, layer, colour, opacity=1.0):
        for i, cov in enumerate(layer.cov):
            if cov > 0.0:
                a = cov * opacity
                px = self.rgb[i]
                for k in range(3):
                    px[k] = px[k] * (1.0 - a) + colour[k] * a

    def mask(self, layer):
        self.alpha = list(layer.cov)

    def save(self, path):
        raw = bytearray()
        for y in range(self.h):
            raw.append(0)
            for x in range(self.w):
                i = y * self.w + x
                r, g, b = (int(round(clamp(c, 0, 255))) for c in self.rgb[i])
                raw += bytes((r, g, b, int(round(self.alpha[i] * 255))))

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

        png = b"\x89PNG\r\n\x1a\n"
        png += chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0))
        png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
        png += chunk(b"IEND", b"")
        tmp = path + ".tmp"
        with open(tmp, "wb") as f:
            f.write(png)
        os.replace(tmp, path)


class Layer:
    """Coverage mask; overlapping shapes take the maximum so joints don't darken."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        self.cov = [0.0] * (w * h)

    def _shade(self, x0, y0, x1, y1, dist):
        for y in range(max(0, int(y0)), min(self.h, int(math.ceil(y1)) + 1)):
            for x in range(max(0, int(x0)), min(self.w, int(math.ceil(x1)) + 1)):
                c = clamp(0.5 - dist(x + 0.5, y + 0.5))
                i = y * self.w + x
                if c > self.cov[i]:
                    self.cov[i] = c

    def line(self, ax, ay, bx, by, width):
        hw = width / 2.0
        dx, dy = bx - ax, by - ay
        ll = dx * dx + dy * dy or 1e-9

        def dist(px, py):
            t = clamp(((px - ax) * dx + (py - ay) * dy) / ll)
            return math.hypot(px - ax - t * dx, py - ay - t * dy) - hw

        self._shade(min(ax, bx) - hw - 1, min(ay, by) - hw - 1, max(ax, bx) + hw + 1, max(ay, by) + hw + 1, dist)

    def disc(self, cx, cy, r):
        self._shade(cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1, lambda px, py: math.hypot(px - cx, py - cy) - r)

    def arc(self, cx, cy, r, width, a0=0.0, a1=360.0):
        """Stroke of a circle between angles a0..a1 (degrees, counter-clockwise, y up)."""
        hw = width / 2.0
        full = (a1 - a0) >= 360.0
        ends = [(cx + r * math.cos(math.radians(a)), cy - r * math.sin(math.radians(a))) for a in (a0, a1)]

        def dist(px, py):
            if not full:
                ang = math.degrees(math.atan2(cy - py, px - cx)) % 360.0
                if (ang - a0) % 360.0 > (a1 - a0):
                    return min(math.hypot(px - ex, py - ey) for ex, ey in ends) - hw
            return abs(math.hypot(px - cx, py - cy) - r) - hw

        self._shade(cx - r - hw - 1, cy - r - hw - 1, cx + r + hw + 1, cy + r + hw + 1, dist)

    def ellipse(self, cx, cy, rx, ry, width, steps=64):
        pts = [(cx + rx * math.cos(2 * math.pi * k / steps), cy + ry * math.sin(2 * math.pi * k / steps))
               for k in range(steps + 1)]
        for (ax, ay), (bx, by) in zip(pts, pts[1:]):
            self.line(ax, ay, bx, by, width)

    def rounded_rect(self, x0, y0, x1, y1, rad):
        cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
        bx, by = (x1 - x0) / 2.0 - rad, (y1 - y0) / 2.0 - rad

        def dist(px, py):
            qx, qy = abs(px - cx) - bx, abs(py - cy) - by
            return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - rad

        self._shade(x0 - 1, y0 - 1, x1 + 1, y1 + 1, dist)


def globe(cv, cx, cy, r, line_w, nodes, links, node_r):
    """A wire globe with a small network of nodes on its face."""
    body = cv.layer()
    body.disc(cx, cy, r)
    cv.paint(body, TEAL, 0.55)

    grid = cv.layer()
    for k in (0.5, 0.87):
        grid.ellipse(cx, cy, r * k, r, line_w)
    grid.line(cx, cy - r, cx, cy + r, line_w)
    for lat in (-50, -20, 20, 50):
        s = math.sin(math.radians(lat))
        half = r * math.cos(math.radians(lat))
        grid.line(cx - half, cy + r * s, cx + half, cy + r * s, line_w)
    grid.line(cx - r, cy, cx + r, cy, line_w)
    cv.paint(grid, WHITE, 0.28)

    rim = cv.layer()
    rim.arc(cx, cy, r, line_w * 1.6)
    cv.paint(rim, LIGHT_TEAL, 0.9)

    pts = [(cx + u * r, cy + v * r) for u, v in nodes]
    net = cv.layer()
    for a, b in links:
        net.line(*pts[a], *pts[b], line_w * 1.3)
    cv.paint(net, LIGHT_TEAL, 0.95)

    halo = cv.layer()
    for x, y in pts:
        halo.disc(x, y, node_r * 2.0)
    cv.paint(halo, LIGHT_TEAL, 0.3)
    dots = cv.layer()
    for x, y in pts:
        dots.disc(x, y, node_r)
    cv.paint(dots, WHITE)


# Node positions relative to the globe's centre and radius, and the links between them.
GLOBE_NODES = [(-0.55, -0.45), (0.15, -0.7), (0.62, -0.25), (-0.2, 0.05), (0.45, 0.45), (-0.6, 0.42), (0.05, 0.72)]
GLOBE_LINKS = [(0, 1), (1, 2), (0, 3), (1, 3), (2, 3), (2, 4), (3, 4), (3, 5), (5, 6), (4, 6), (3, 6)]


# Lower-case geometric letters on a unit grid: x-height 1, ascender 1.45, baseline 0.
# Each glyph: (advance, strokes); strokes are ("l", x0, y0, x1, y1) or ("a", cx, cy, r, a0, a1).
W = 0.18
LO, XH, ASC = W / 2, 1 - W / 2, 1.45 - W / 2
BOWL = (0.5, 0.5, 0.5 - W / 2)
GLYPHS = {
    "Z": (0.9, [("l", LO, ASC, 0.9 - LO, ASC), ("l", 0.9 - LO, ASC, LO, LO), ("l", LO, LO, 0.9 - LO, LO)]),
    "a": (1.0, [("a", *BOWL, 0, 360), ("l", 1 - LO, LO, 1 - LO, XH)]),
    "n": (1.0, [("l", LO, LO, LO, XH), ("a", *BOWL, 0, 180), ("l", 1 - LO, 0.5, 1 - LO, LO)]),
    "d": (1.0, [("a", *BOWL, 0, 360), ("l", 1 - LO, LO, 1 - LO, ASC)]),
    "o": (1.0, [("a", *BOWL, 0, 360)]),
    "l": (W, [("l", LO, LO, LO, ASC)]),
    "e": (1.0, [("a", *BOWL, 0, 318), ("l", LO, 0.5, 1 - LO, 0.5)]),
    "t": (0.62, [("l", 0.26, LO, 0.26, 1.3), ("l", LO, XH, 0.62 - LO, XH)]),
}
GAP = 0.24


def word_width(text):
    return sum(GLYPHS[c][0] for c in text) + GAP * (len(text) - 1)


def word(layer, text, x, baseline, scale):
    for ch in text:
        advance, strokes = GLYPHS[ch]
        for s in strokes:
            if s[0] == "l":
                _, ax, ay, bx, by = s
                layer.line(x + ax * scale, baseline - ay * scale, x + bx * scale, baseline - by * scale, W * scale)
            else:
                _, cx, cy, r, a0, a1 = s
                layer.arc(x + cx * scale, baseline - cy * scale, r * scale, W * scale, a0, a1)
        x += (advance + GAP) * scale


def make_logo(path):
    w, h = 290, 194
    cv = Canvas(w, h)
    cv.gradient(NAVY, TEAL, glow=(145, 66, 120, 0.16))
    globe(cv, 145, 66, 48, 1.4, GLOBE_NODES, GLOBE_LINKS, 3.2)

    scale = 27.0
    text = cv.layer()
    word(text, "Zandolet", (w - word_width("Zandolet") * scale) / 2.0, 170, scale)
    shadow = cv.layer()
    word(shadow, "Zandolet", (w - word_width("Zandolet") * scale) / 2.0 + 1.5, 171.5, scale)
    cv.paint(shadow, NAVY, 0.6)
    cv.paint(text, WHITE)

    rule = cv.layer()
    rule.line(60, 183, 230, 183, 1.2)
    cv.paint(rule, LIGHT_TEAL, 0.55)
    cv.save(path)


def make_network(path):
    w = h = 120
    cv = Canvas(w, h)
    cv.gradient(NAVY, TEAL, glow=(60, 60, 70, 0.18))
    cx, cy = 60, 60
    ring = [(cx + 40 * math.cos(math.radians(a)), cy + 40 * math.sin(math.radians(a))) for a in range(-90, 270, 60)]
    outer = [(cx + 54 * math.cos(math.radians(a)), cy + 54 * math.sin(math.radians(a))) for a in range(-60, 300, 60)]

    orbit = cv.layer()
    orbit.arc(cx, cy, 40, 1.0)
    cv.paint(orbit, WHITE, 0.25)

    links = cv.layer()
    for x, y in ring:
        links.line(cx, cy, x, y, 1.8)
    for i, (x, y) in enumerate(outer):
        for j in (i, (i + 1) % 6):
            links.line(x, y, *ring[j], 1.2)
    cv.paint(links, LIGHT_TEAL, 0.85)

    halo = cv.layer()
    halo.disc(cx, cy, 17)
    for x, y in ring:
        halo.disc(x, y, 8)
    cv.paint(halo, LIGHT_TEAL, 0.25)

    hub = cv.layer()
    hub.disc(cx, cy, 12)
    cv.paint(hub, TEAL)
    hub_rim = cv.layer()
    hub_rim.arc(cx, cy, 12, 2.2)
    cv.paint(hub_rim, WHITE)
    # a small "at" ring inside the hub: registrations travel by mail
    at = cv.layer()
    at.arc(cx, cy, 4.8, 1.8, 0, 360)
    at.arc(cx, cy, 8.2, 1.6, -80, 250)
    at.line(cx + 4.8, cy - 1, cx + 4.8, cy + 4.5, 1.8)
    cv.paint(at, WHITE)

    dots = cv.layer()
    for x, y in ring:
        dots.disc(x, y, 4.5)
    cv.paint(dots, WHITE)
    small = cv.layer()
    for x, y in outer:
        small.disc(x, y, 2.6)
    cv.paint(small, LIGHT_TEAL)
    cv.save(path)


def make_icon(path, size=64):
    """The window icon, drawn at `size` pixels from the 64-pixel design."""
    k = size / 64
    cv = Canvas(size, size)
    cv.gradient(NAVY, TEAL, glow=(32 * k, 32 * k, 40 * k, 0.15))
    nodes = [(-0.55, -0.45), (0.4, -0.55), (0.0, 0.1), (0.55, 0.4), (-0.45, 0.5)]
    links = [(0, 1), (0, 2), (1, 2), (2, 3), (2, 4), (1, 3)]
    # Strokes and dots keep at least a pixel's width so the small sizes stay legible.
    globe(cv, 32 * k, 32 * k, 23 * k, max(1.3 * k, 0.9), nodes, links, max(2.6 * k, 1.2))
    shape = cv.layer()
    shape.rounded_rect(k, k, 63 * k, 63 * k, 12 * k)
    cv.mask(shape)
    cv.save(path)


# The sizes desktop menus and launchers ask the hicolor theme for.
HICOLOR_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    make_logo(os.path.join(here, "logo.png"))
    make_network(os.path.join(here, "network.png"))
    make_icon(os.path.join(here, "icon.png"))
    for size in HICOLOR_SIZES:
        folder = os.path.join(here, "..", "icons", "hicolor", "%dx%d" % (size, size), "apps")
        os.makedirs(folder, exist_ok=True)
        make_icon(os.path.join(folder, "zandolet.png"), size)
