#!/usr/bin/env python3
"""Draws the program's skin into a folder: make_skin.py OUTDIR.

Writes the four window INI files (UTF-16LE with a byte-order mark), every
state sheet of every window as JPEG, the window masks and the lighting
panel's pictures as 24-bit BMP, the arrow and colour images and the template
of the user-mode colour file. Everything is drawn from skin/geometry.py;
other files in OUTDIR (language.ini) are left alone.

make_skin.py --list prints the names of the files it writes, one a line.

The output depends on nothing but the two scripts, Pillow and the DejaVu
fonts: two runs write the same bytes.
"""
import colorsys
import io
import math
import os
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "skin"))
import geometry as g  # noqa: E402

FONT_REGULAR = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
FONT_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
JPEG_QUALITY = 95
SUPERSAMPLE = 4
LOOKS = ("normal", "hover", "pressed", "disabled", "checked")
C = g.COLOURS

# Pillow is loaded by the drawing code only, so --list works without it.
Image = ImageDraw = ImageFont = ImageChops = ImageFilter = None


def load_pillow():
    global Image, ImageDraw, ImageFont, ImageChops, ImageFilter
    from PIL import Image as _Image, ImageChops as _Chops, ImageDraw as _Draw, ImageFilter as _Filter
    from PIL import ImageFont as _Font
    Image, ImageDraw, ImageFont, ImageChops, ImageFilter = _Image, _Draw, _Font, _Chops, _Filter


# ---- What is written -----------------------------------------------------------------


def sheet_files(window):
    files = []
    for sheet_set in g.SHEET_SETS[window].values():
        for name in sheet_set.values():
            if name not in files:
                files.append(name)
    return files


def output_names():
    names = []
    for window in g.WINDOWS:
        names.append(window + ".ini")
        names.extend(sheet_files(window))
        names.append(g.MASK[window])
    names += ["Arrow.jpg", "main_color0.jpg", "main_color1.jpg"]
    names += list(g.PICTURES)
    names.append("UserDengColor_3.userd")
    return names


# ---- Drawing helpers -----------------------------------------------------------------

_fonts = {}


def font(size, bold=False):
    key = (size, bold)
    if key not in _fonts:
        _fonts[key] = ImageFont.truetype(FONT_BOLD if bold else FONT_REGULAR, size)
    return _fonts[key]


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def vgradient(w, h, top, bottom):
    column = Image.new("RGB", (1, max(h, 1)))
    column.putdata([mix(top, bottom, y / max(h - 1, 1)) for y in range(max(h, 1))])
    return column.resize((max(w, 1), max(h, 1)), Image.NEAREST)


def hgradient(w, h, left, right):
    row = Image.new("RGB", (max(w, 1), 1))
    row.putdata([mix(left, right, x / max(w - 1, 1)) for x in range(max(w, 1))])
    return row.resize((max(w, 1), max(h, 1)), Image.NEAREST)


def layer(fill, w, h):
    if isinstance(fill, tuple) and len(fill) == 3 and isinstance(fill[0], str):
        kind, a, b = fill
        return vgradient(w, h, a, b) if kind == "v" else hgradient(w, h, a, b)
    if isinstance(fill, tuple):
        return Image.new("RGB", (w, h), fill)
    return fill


def rr_mask(w, h, radius, inset=0.0):
    """Anti-aliased mask of a w x h rounded rectangle shrunk by inset on every side."""
    s = SUPERSAMPLE
    m = Image.new("L", (w * s, h * s), 0)
    r = max(radius - inset, 0)
    box = [inset * s, inset * s, (w - inset) * s - 1, (h - inset) * s - 1]
    if box[2] > box[0] and box[3] > box[1]:
        ImageDraw.Draw(m).rounded_rectangle(box, radius=r * s, fill=255)
    return m.resize((w, h), Image.BOX)


def ellipse_mask(w, h, box):
    s = SUPERSAMPLE
    m = Image.new("L", (w * s, h * s), 0)
    x0, y0, x1, y1 = box
    ImageDraw.Draw(m).ellipse([x0 * s, y0 * s, x1 * s - 1, y1 * s - 1], fill=255)
    return m.resize((w, h), Image.BOX)


def polygon_mask(w, h, points):
    s = SUPERSAMPLE
    m = Image.new("L", (w * s, h * s), 0)
    ImageDraw.Draw(m).polygon([(x * s, y * s) for x, y in points], fill=255)
    return m.resize((w, h), Image.BOX)


def lines_mask(w, h, segments, width):
    s = SUPERSAMPLE
    m = Image.new("L", (w * s, h * s), 0)
    d = ImageDraw.Draw(m)
    for seg in segments:
        d.line([(x * s, y * s) for x, y in seg], fill=255, width=int(round(width * s)), joint="curve")
        for x, y in (seg[0], seg[-1]):
            r = width * s / 2
            d.ellipse([x * s - r, y * s - r, x * s + r, y * s + r], fill=255)
    return m.resize((w, h), Image.BOX)


def fade(mask, alpha):
    if alpha >= 255:
        return mask
    return mask.point(lambda v: v * alpha // 255)


def paint(img, mask, fill, at=(0, 0), alpha=255):
    w, h = mask.size
    img.paste(layer(fill, w, h), at, fade(mask, alpha))


def rrect(img, box, radius, fill, edge=None, edge_width=1, alpha=255):
    """A rounded rectangle over box = (x0, y0, x1, y1), right and bottom exclusive."""
    x0, y0, x1, y1 = [int(v) for v in box]
    w, h = x1 - x0, y1 - y0
    if w <= 0 or h <= 0:
        return
    if edge is not None:
        paint(img, rr_mask(w, h, radius), edge, (x0, y0), alpha)
        paint(img, rr_mask(w, h, radius, edge_width), fill, (x0, y0), alpha)
    else:
        paint(img, rr_mask(w, h, radius), fill, (x0, y0), alpha)


def ring(img, box, radius, colour, width=1, alpha=255):
    x0, y0, x1, y1 = [int(v) for v in box]
    w, h = x1 - x0, y1 - y0
    if w <= 0 or h <= 0:
        return
    m = ImageChops.subtract(rr_mask(w, h, radius), rr_mask(w, h, radius, width))
    paint(img, m, colour, (x0, y0), alpha)


def text(img, xy, s, size, colour, bold=False, anchor="mm"):
    ImageDraw.Draw(img).text(xy, s, font=font(size, bold), fill=colour, anchor=anchor)


def text_width(s, size, bold=False):
    x0, _, x1, _ = font(size, bold).getbbox(s)
    return x1 - x0


def fit_size(s, width, start, smallest=7, bold=False):
    size = start
    while size > smallest and text_width(s, size, bold) > width:
        size -= 1
    return size


def glyph(img, kind, cx, cy, size, colour, width=2.0, alpha=255):
    """Line and shape symbols drawn around (cx, cy) within a size x size square."""
    w, h = img.size
    s = size / 2.0
    segs = []
    polys = []
    if kind == "close":
        segs = [[(cx - s * 0.55, cy - s * 0.55), (cx + s * 0.55, cy + s * 0.55)],
                [(cx - s * 0.55, cy + s * 0.55), (cx + s * 0.55, cy - s * 0.55)]]
    elif kind == "minimise":
        segs = [[(cx - s * 0.6, cy + s * 0.1), (cx + s * 0.6, cy + s * 0.1)]]
    elif kind == "menu":
        segs = [[(cx - s * 0.65, cy + d), (cx + s * 0.65, cy + d)] for d in (-s * 0.55, 0, s * 0.55)]
    elif kind in ("plus", "minus"):
        segs = [[(cx - s * 0.6, cy), (cx + s * 0.6, cy)]]
        if kind == "plus":
            segs.append([(cx, cy - s * 0.6), (cx, cy + s * 0.6)])
    elif kind in ("left", "right"):
        k = -1 if kind == "left" else 1
        polys = [[(cx + k * s * 0.55, cy), (cx - k * s * 0.4, cy - s * 0.6), (cx - k * s * 0.4, cy + s * 0.6)]]
    elif kind == "clear":
        # an open circle with an arrow head: back to the default
        r = s * 0.62
        points = []
        for i in range(0, 29):
            a = math.radians(-60 + i * 10)
            points.append((cx + r * math.cos(a), cy + r * math.sin(a)))
        segs = [points]
        ex, ey = points[0]
        polys = [[(ex + s * 0.05, ey - s * 0.45), (ex + s * 0.5, ey + s * 0.12), (ex - s * 0.3, ey + s * 0.18)]]
    elif kind == "osk":
        # a small keyboard
        m = Image.new("L", (w, h), 0)
        bx0, by0, bx1, by1 = cx - s * 0.85, cy - s * 0.5, cx + s * 0.85, cy + s * 0.55
        outline = lines_mask(w, h, [[(bx0, by0), (bx1, by0), (bx1, by1), (bx0, by1), (bx0, by0)]], width * 0.7)
        m = ImageChops.lighter(m, outline)
        keys = Image.new("L", (w * SUPERSAMPLE, h * SUPERSAMPLE), 0)
        dk = ImageDraw.Draw(keys)
        q = SUPERSAMPLE
        step = (bx1 - bx0 - 4) / 5
        for row in range(2):
            for col in range(5):
                kx = bx0 + 2.4 + col * step
                ky = by0 + 2.6 + row * 3.2
                dk.rectangle([kx * q, ky * q, (kx + step * 0.62) * q, (ky + 1.7) * q], fill=255)
        dk.rectangle([(bx0 + 2.4 + step) * q, (by0 + 9) * q, (bx1 - 2.4 - step) * q, (by0 + 10.6) * q], fill=255)
        m = ImageChops.lighter(m, keys.resize((w, h), Image.BOX))
        paint(img, m, colour, alpha=alpha)
        return
    elif kind == "help":
        text(img, (cx, cy + 1), "?", int(size * 0.95), colour, bold=True)
        return
    if segs:
        paint(img, lines_mask(w, h, segs, width), colour, alpha=alpha)
    for p in polys:
        paint(img, polygon_mask(w, h, p), colour, alpha=alpha)


def arrow_shape(kind, cx, cy, s):
    """Polygons of a thick arrow pointing left/right/up/down, centred at (cx, cy)."""
    base = [(-1.0, 0.0), (-0.15, -0.62), (-0.15, -0.24), (0.9, -0.24), (0.9, 0.24), (-0.15, 0.24), (-0.15, 0.62)]
    rot = {"left": (1, 0), "right": (-1, 0), "up": (0, 1), "down": (0, -1)}[kind]

    def place(points, dx=0.0, flip=1):
        out = []
        for x, y in points:
            x = x * flip + dx
            if rot[0]:
                out.append((cx + rot[0] * x * s, cy + y * s))
            else:
                out.append((cx + y * s, cy + rot[1] * x * s))
        return out

    return [place(base)]


def emblem(img, cx, cy, r, colour_a, colour_b, alpha=255):
    """The maker's mark: a hexagon with a cut-out chevron."""
    w, h = img.size
    hexagon = [(cx + r * math.cos(math.radians(60 * i - 90)), cy + r * math.sin(math.radians(60 * i - 90)))
               for i in range(6)]
    outer = polygon_mask(w, h, hexagon)
    chevron = [(cx - r * 0.5, cy - r * 0.38), (cx - r * 0.2, cy - r * 0.38), (cx, cy + r * 0.08),
               (cx + r * 0.2, cy - r * 0.38), (cx + r * 0.5, cy - r * 0.38), (cx, cy + r * 0.5)]
    m = ImageChops.subtract(outer, polygon_mask(w, h, chevron))
    grad = vgradient(w, h, colour_a, colour_b)
    img.paste(grad, (0, 0), fade(m, alpha))


def wordmark(img, x, cy, size, colour, spacing=2):
    f = font(size, True)
    d = ImageDraw.Draw(img)
    for ch in "VELKOR":
        d.text((x, cy), ch, font=f, fill=colour, anchor="lm")
        x += f.getlength(ch) + spacing
    return x


def glow_line(img, x0, x1, y, colours, thickness=2, blur=4, strength=0.9):
    """A horizontal light bar with a soft glow, its colour running through colours."""
    w, h = img.size
    bar = Image.new("RGB", (w, h), (0, 0, 0))
    n = len(colours) - 1
    width = x1 - x0
    grad = Image.new("RGB", (width, 1))
    px = []
    for i in range(width):
        t = i / max(width - 1, 1) * n
        k = min(int(t), n - 1)
        px.append(mix(colours[k], colours[k + 1], t - k))
    grad.putdata(px)
    bar.paste(grad.resize((width, thickness), Image.NEAREST), (x0, y))
    halo = bar.filter(ImageFilter.GaussianBlur(blur))
    halo = halo.point(lambda v: int(v * strength))
    out = ImageChops.add(img, halo)
    out = ImageChops.lighter(out, bar)
    img.paste(out)


# ---- Faces ---------------------------------------------------------------------------


def key_face(tile, look, legend, gkey=False, snug=False):
    """A key cap. snug: a narrow cap (D1..D6) with a thinner rim, whose single
    legend may take the cap's whole top: its legend keeps the size the wider
    keys' legends have."""
    w, h = tile.size
    x0, y0, x1, y1 = 1, 1, w - 1, h - 1
    if look == "pressed":
        x0, y0 = x0 + 1, y0 + 1
    side = ("v", C["cap_side"], C["cap_side_dark"])
    top = ("v", C["gcap_top"], C["gcap_low"]) if gkey else ("v", C["cap_top"], C["cap_top_low"])
    legend_colour = C["legend"]
    if look == "hover":
        side = ("v", (44, 48, 56), (28, 31, 36))
        top = ("v", C["cap_hover_top"], C["cap_hover_low"])
        legend_colour = (245, 248, 252)
    elif look == "pressed":
        side = ("v", (24, 26, 30), (18, 20, 23))
        top = ("v", C["cap_down_top"], C["cap_down_low"])
        legend_colour = C["legend_dim"]
    elif look == "checked":
        legend_colour = C["amber"]
    rrect(tile, (x0, y0, x1, y1), 5, side)
    bottom_margin = 3 if look == "pressed" else 5
    rim = 2 if snug else 3
    face = (x0 + rim, y0 + 2, x1 - rim, y1 - bottom_margin)
    rrect(tile, face, 4, top)
    # a fine highlight along the cap's top edge
    ring(tile, face, 4, (255, 255, 255), 1, alpha=18)
    if look == "hover":
        ring(tile, (x0, y0, x1, y1), 5, C["accent"], 1)
        ring(tile, (x0 + 1, y0 + 1, x1 - 1, y1 - 1), 4, C["accent"], 1, alpha=90)
        ring(tile, (x0 + 2, y0 + 2, x1 - 2, y1 - 2), 3, C["accent"], 1, alpha=35)
    elif look == "pressed":
        ring(tile, (x0, y0, x1, y1), 5, C["accent_dim"], 1)
    elif look == "checked":
        ring(tile, (x0, y0, x1, y1), 5, C["amber"], 1)
        ring(tile, (x0 + 1, y0 + 1, x1 - 1, y1 - 1), 4, C["amber"], 1, alpha=60)
        dot = (face[2] - 6, face[1] + 2, face[2] - 2, face[1] + 6)
        paint(tile, ellipse_mask(w, h, dot), C["amber"])
    fx0, fy0, fx1, fy1 = face
    cx, cy = (fx0 + fx1) / 2.0, (fy0 + fy1) / 2.0
    inner_w = fx1 - fx0 - 6
    if gkey:
        text(tile, (fx0 + 3, fy0 + 2), legend[0], 9, legend_colour, bold=True, anchor="lt")
        return
    if legend == ("@win",):
        sq = 4.2
        for dx, dy in ((-1, -1), (1, -1), (-1, 1), (1, 1)):
            qx = cx + (dx - 1) * sq / 2 + (0.8 if dx > 0 else -0.8) + sq / 2
            qy = cy + (dy - 1) * sq / 2 + (0.8 if dy > 0 else -0.8) + sq / 2
            rrect(tile, (int(qx - sq / 2 + 0.5), int(qy - sq / 2 + 0.5), int(qx + sq / 2 + 0.5),
                         int(qy + sq / 2 + 0.5)), 1, legend_colour)
        return
    if legend == ("@menu",):
        bx0, by0 = int(cx - 6), int(cy - 6)
        ring(tile, (bx0, by0, bx0 + 12, by0 + 12), 2, legend_colour, 1)
        for i in range(3):
            tile.paste(legend_colour, (bx0 + 3, by0 + 3 + 2 * i + i // 2, bx0 + 9, by0 + 4 + 2 * i + i // 2))
        return
    if len(legend) == 2:
        a, b = legend
        if len(b) > 1 and b not in ("\u2191", "\u2193", "\u2190", "\u2192"):
            text(tile, (cx, cy - 4), a, 12, legend_colour)
            text(tile, (cx, cy + 8), b, fit_size(b, inner_w, 8), C["legend_sub"] if look != "checked"
                 else legend_colour)
        else:
            text(tile, (cx, cy - 6), a, 10, legend_colour)
            text(tile, (cx, cy + 6), b, 11, legend_colour)
        return
    s = legend[0]
    if not s:
        return
    if len(s) == 1:
        text(tile, (cx, cy), s, 13, legend_colour)
    else:
        room = fx1 - fx0 if snug else inner_w
        text(tile, (cx, cy), s, fit_size(s, room, 11 if len(s) <= 3 else 10), legend_colour)


def button_face(tile, look, primary=False, record=False, label=None):
    w, h = tile.size
    x0, y0, x1, y1 = 1, 1, w - 1, h - 1
    r = 6 if h > 24 else 5
    if primary:
        fills = {"normal": ("v", C["primary_top"], C["primary_low"]),
                 "hover": ("v", (30, 160, 196), (16, 116, 146)),
                 "pressed": ("v", (8, 74, 94), (10, 86, 110)),
                 "disabled": C["button_disabled"],
                 "checked": ("v", C["primary_top"], C["primary_low"])}
        edges = {"normal": C["accent_dim"], "hover": C["accent"], "pressed": C["accent_dim"],
                 "disabled": C["button_disabled_edge"], "checked": C["accent"]}
    else:
        fills = {"normal": ("v", C["button_top"], C["button_low"]),
                 "hover": ("v", C["button_hover_top"], C["button_hover_low"]),
                 "pressed": ("v", C["button_down_top"], C["button_down_low"]),
                 "disabled": C["button_disabled"],
                 "checked": ("v", (14, 76, 96), C["accent_deep"])}
        edges = {"normal": C["button_edge"], "hover": C["accent"], "pressed": C["accent_dim"],
                 "disabled": C["button_disabled_edge"], "checked": C["accent"]}
    if record and look == "pressed":
        fills["pressed"] = ("v", (92, 22, 28), (70, 16, 22))
        edges["pressed"] = (230, 60, 70)
    if look == "pressed":
        x0, y0 = x0 + 1, y0 + 1
    rrect(tile, (x0, y0, x1, y1), r, fills[look], edges[look])
    if look in ("normal", "hover", "checked"):
        # a soft sheen along the top
        tile_sheen = Image.new("L", (w, h), 0)
        ImageDraw.Draw(tile_sheen).line([(x0 + r, y0 + 1), (x1 - r - 1, y0 + 1)], fill=40)
        paint(tile, tile_sheen, (255, 255, 255))
    if look == "hover":
        ring(tile, (x0 + 1, y0 + 1, x1 - 1, y1 - 1), r - 1, C["accent"], 1, alpha=60)
    if look == "checked" and not primary:
        bar_y = y1 - 3
        tile.paste(C["accent"], (x0 + r + 2, bar_y, x1 - r - 2, bar_y + 1))
    if record:
        dot_colour = {"normal": (200, 52, 60), "hover": (240, 70, 80), "pressed": (255, 90, 100),
                      "disabled": (90, 50, 54), "checked": (200, 52, 60)}[look]
        cy = (y0 + y1) / 2.0
        paint(tile, ellipse_mask(w, h, (x0 + 10, cy - 4, x0 + 18, cy + 4)), dot_colour)
    if label:
        colour = {"normal": C["legend"], "hover": (250, 252, 255), "pressed": C["legend_dim"],
                  "disabled": (100, 105, 112), "checked": C["accent"]}[look]
        text(tile, ((x0 + x1) / 2.0, (y0 + y1) / 2.0), label, fit_size(label, x1 - x0 - 6, 10, bold=True), colour,
             bold=True)


def icon_face(tile, look, symbol, bare=False, danger=False):
    w, h = tile.size
    x0, y0, x1, y1 = 1, 1, w - 1, h - 1
    colour = C["icon"]
    if bare:
        if look == "hover":
            rrect(tile, (x0, y0, x1, y1), 6, C["danger"] if danger else C["button_hover_top"])
            colour = (255, 255, 255)
        elif look == "pressed":
            rrect(tile, (x0 + 1, y0 + 1, x1, y1), 6, (150, 30, 38) if danger else C["button_down_top"],
                  C["accent_dim"] if not danger else None)
            colour = C["legend_dim"] if not danger else (235, 235, 235)
        elif look == "disabled":
            colour = (90, 95, 102)
    else:
        button_face(tile, look)
        if look == "hover":
            colour = (255, 255, 255)
        elif look == "pressed":
            colour = C["legend_dim"]
        elif look == "disabled":
            colour = (90, 95, 102)
        elif look == "checked":
            colour = C["accent"]
    shift = 1 if look == "pressed" else 0
    size = min(w, h) - 12
    glyph(tile, symbol, (x0 + x1) / 2.0 + shift, (y0 + y1) / 2.0 + shift, size, colour,
          width=1.6 if symbol in ("close", "minimise", "menu") else 2.0)


def led_face(tile, look, label):
    w, h = tile.size
    lit = look == "checked"
    rrect(tile, (1, 1, w - 1, h - 1), 5, (17, 19, 22), (30, 33, 38))
    cx, cy = w / 2.0, 12.0
    if lit:
        halo = Image.new("L", (w, h), 0)
        ImageDraw.Draw(halo).ellipse([cx - 9, cy - 9, cx + 9, cy + 9], fill=110)
        halo = halo.filter(ImageFilter.GaussianBlur(3))
        paint(tile, halo, C["led_on"])
        paint(tile, ellipse_mask(w, h, (cx - 4, cy - 4, cx + 4, cy + 4)), C["led_on"])
        paint(tile, ellipse_mask(w, h, (cx - 2, cy - 3, cx + 1, cy)), (255, 240, 200), alpha=200)
    else:
        paint(tile, ellipse_mask(w, h, (cx - 4, cy - 4, cx + 4, cy + 4)), C["led_off"])
        paint(tile, ellipse_mask(w, h, (cx - 2, cy - 3, cx + 1, cy)), (120, 96, 70), alpha=120)
    text(tile, (cx, h - 10), label, fit_size(label, w - 6, 8, bold=True),
         (210, 170, 110) if lit else C["legend_sub"], bold=True)


def flip_face(tile, look):
    w, h = tile.size
    flipped = look == "checked"
    rrect(tile, (1, 1, w - 1, h - 1), 6, (17, 19, 22), C["accent_dim"] if flipped else C["button_edge"])
    label = "D1\u2013D6" if flipped else "F1\u2013F4"
    text(tile, (w / 2.0, h / 2.0), label, 11, C["accent"] if flipped else C["legend"], bold=True)


def logo_face(tile, look):
    w, h = tile.size
    bright = {"normal": 1.0, "hover": 1.25, "pressed": 0.7}.get(look, 1.0)

    def lit(c):
        return tuple(min(255, int(v * bright)) for v in c)

    if look == "hover":
        halo = Image.new("L", (w, h), 0)
        ImageDraw.Draw(halo).ellipse([2, 2, 30, 30], fill=90)
        paint(tile, halo.filter(ImageFilter.GaussianBlur(4)), C["accent"])
    dy = 1 if look == "pressed" else 0
    emblem(tile, 16, h / 2.0 + dy, 12, lit((60, 220, 255)), lit((10, 120, 200)))
    wordmark(tile, 34, h / 2.0 + dy, 15, lit((228, 232, 238)))


def plate_face(tile, look):
    w, h = tile.size
    edge = {"normal": (48, 53, 62), "hover": C["accent"], "pressed": C["accent_dim"]}.get(look, (48, 53, 62))
    fill = ("v", (22, 25, 30), (16, 18, 22)) if look != "hover" else ("v", (30, 34, 40), (20, 23, 28))
    rrect(tile, (1, 1, w - 1, h - 1), 7, fill, edge)
    tile.paste(C["accent"] if look != "pressed" else C["accent_dim"], (5, 8, 8, h - 8))
    # stacked layers: the profile in use
    for i, a in enumerate((200, 140, 80)):
        y = 9 + i * 4
        poly = [(14, y + 3), (20, y), (26, y + 3), (20, y + 6)]
        paint(tile, polygon_mask(w, h, poly), C["accent"], alpha=a)


def tab_face(tile, look):
    w, h = tile.size
    x0, y0, x1, y1 = 1, 1, w - 1, h - 1
    if look == "pressed" or look == "checked":
        rrect(tile, (x0, y0, x1, y1), 6, ("v", (16, 84, 106), C["accent_deep"]), C["accent"])
        tile.paste(C["accent"], (x0 + 8, y1 - 3, x1 - 8, y1 - 1))
    elif look == "hover":
        rrect(tile, (x0, y0, x1, y1), 6, ("v", C["button_hover_top"], C["button_hover_low"]), C["accent"])
    elif look == "disabled":
        rrect(tile, (x0, y0, x1, y1), 6, C["button_disabled"], C["button_disabled_edge"])
    else:
        rrect(tile, (x0, y0, x1, y1), 6, ("v", C["button_top"], C["button_low"]), C["button_edge"])


def title_face(tile):
    w, h = tile.size
    emblem(tile, 16, h / 2.0, 12, (60, 220, 255), (10, 120, 200))
    wordmark(tile, 34, h / 2.0, 15, (228, 232, 238))


def page_face(tile, family, origin):
    """The page picture of the key editor: a calm panel, a frame around the
    page's own controls and a faint emblem of the page."""
    w, h = tile.size
    ox, oy = origin

    def local(rect, grow=0):
        x, y, rw, rh = rect
        return (x - ox - grow, y - oy - grow, x - ox + rw + grow, y - oy + rh + grow)

    rrect(tile, (1, 1, w - 1, h - 1), 10, g.COLOURS["panel"], g.COLOURS["panel_edge"])
    frames = {
        "key": ["FUNC_KEY_INPUT"],
        "media": ["FUNC_MEDIA_SELECT"],
        "function": ["FUNC_FUNCTION_SELECT"],
        "macro": ["FUNC_MACRO_LIST2"],
    }[family]
    for key in frames:
        ctrl = g.control("Composite", key)
        x, y, rw, rh = ctrl.screen_rect()
        ring(tile, local((x, y, rw, rh), 3), 6, C["accent_dim"], 1, alpha=170)
    ex, ey, ew, eh = g.PAGE_EMBLEM
    ex0, ey0 = ex - ox, ey - oy
    art = Image.new("RGB", (w, h), (0, 0, 0))
    colour = (110, 170, 190)
    cy = ey0 + eh / 2.0
    if family == "key":
        for i, letter in enumerate(("A", "B")):
            bx = ex0 + 8 + i * 96
            ring(art, (bx, ey0 + 8, bx + 44, ey0 + 52), 7, colour, 2)
            text(art, (bx + 22, ey0 + 30), letter, 20, colour, bold=True)
        for p in arrow_shape("right", ex0 + 78, cy, 14):
            paint(art, polygon_mask(w, h, p), colour)
    elif family == "macro":
        paint(art, ellipse_mask(w, h, (ex0 + 8, cy - 12, ex0 + 32, cy + 12)), (200, 70, 80))
        for i in range(14):
            bh = 8 + 30 * abs(math.sin(i * 0.9 + 0.4))
            bx = ex0 + 46 + i * 10
            rrect(art, (bx, int(cy - bh / 2), bx + 5, int(cy + bh / 2)), 2, colour)
    elif family == "media":
        paint(art, polygon_mask(w, h, [(ex0 + 10, ey0 + 10), (ex0 + 48, cy), (ex0 + 10, ey0 + eh - 10)]), colour)
        text(art, (ex0 + 90, cy), "\u266a", 40, colour)
        text(art, (ex0 + 140, cy), "\u266b", 36, colour)
    elif family == "function":
        ring(art, (ex0 + 8, ey0 + 8, ex0 + 60, ey0 + 52), 7, colour, 2)
        text(art, (ex0 + 34, ey0 + 30), "Fn", 20, colour, bold=True)
        for i in range(3):
            bx = ex0 + 80 + i * 38
            ring(art, (bx, ey0 + 14, bx + 28, ey0 + 48), 4, colour, 2)
            tile_lines = [(bx + 7, ey0 + 24 + 6 * k) for k in range(3)]
            for lx, ly in tile_lines:
                art.paste(colour, (lx, ly, lx + 14, ly + 2))
    grey = art.convert("L")
    tile.paste(art, (0, 0), grey.point(lambda v: min(255, v) * 70 // 255))


def draw_face(window, ctrl, look, family, tile):
    style = ctrl.style
    if ctrl.face == "key":
        key_face(tile, look, style["legend"])
    elif ctrl.face == "gkey":
        key_face(tile, look, style["legend"], gkey=True)
    elif ctrl.face == "dkey":
        # The rectangle reaches half a gap past the cap on either side.
        inset = style.get("inset", 0)
        w, h = tile.size
        cap = tile.crop((inset, 0, w - inset, h))
        key_face(cap, look, style["legend"], snug=True)
        tile.paste(cap, (inset, 0))
    elif ctrl.face == "button":
        button_face(tile, look, primary=style.get("primary", False), record=style.get("record", False))
    elif ctrl.face == "text":
        button_face(tile, look, label=style["text"])
    elif ctrl.face == "icon":
        bare = style["symbol"] in ("help", "close", "minimise", "menu")
        icon_face(tile, look, style["symbol"], bare=bare, danger=style.get("danger", False))
    elif ctrl.face == "led":
        led_face(tile, look, style["text"])
    elif ctrl.face == "flip":
        flip_face(tile, look)
    elif ctrl.face == "logo":
        logo_face(tile, look)
    elif ctrl.face == "plate":
        plate_face(tile, look)
    elif ctrl.face == "tab":
        tab_face(tile, look)
    elif ctrl.face == "title":
        title_face(tile)
    elif ctrl.face == "page":
        page_face(tile, family, (ctrl.rect[0], ctrl.rect[1]))
    elif ctrl.face == "none":
        pass
    else:
        raise ValueError("no face %r" % ctrl.face)


# ---- Backgrounds -----------------------------------------------------------------------


def window_base(window, header_h):
    w, h = g.WINDOWS[window]
    img = vgradient(w, h, C["window_top"], C["window_bottom"])
    img.paste(vgradient(w, header_h, C["header_top"], C["header_bottom"]), (0, 0))
    img.paste(C["header_line"], (0, header_h, w, header_h + 1))
    # a short cyan accent under the header, fading out to the right
    accent = Image.new("L", (w, 1), 0)
    accent.putdata([max(0, int(200 * (1 - x / 340.0))) if x < 340 else 0 for x in range(w)])
    img.paste(C["accent"], (0, header_h), accent)
    return img


def window_edge(img, window):
    w, h = img.size
    r = g.CORNER_RADIUS[window]
    ring(img, (0, 0, w, h), r, C["window_edge"], 1)


def colour_wheel(img):
    cx, cy = g.WHEEL_CENTRE
    r = g.WHEEL_RADIUS
    size = 2 * (r + 8)
    box = (cx - r - 8, cy - r - 8)
    local = img.crop((box[0], box[1], box[0] + size, box[1] + size))
    lc = r + 8
    paint(local, ellipse_mask(size, size, (lc - r - 5, lc - r - 5, lc + r + 6, lc + r + 6)), (48, 53, 62))
    paint(local, ellipse_mask(size, size, (lc - r - 4, lc - r - 4, lc + r + 5, lc + r + 5)), (12, 13, 16))
    px = local.load()
    for y in range(size):
        for x in range(size):
            dx, dy = x - lc, y - lc
            d = math.hypot(dx, dy)
            if d > r + 1:
                continue
            hue = (math.atan2(-dy, dx) / (2 * math.pi)) % 1.0
            rgb = colorsys.hsv_to_rgb(hue, min(d / r, 1.0), 1.0)
            colour = tuple(int(round(v * 255)) for v in rgb)
            cover = 1.0 if d <= r else max(0.0, r + 1 - d)
            if cover < 1.0:
                colour = mix(px[x, y], colour, cover)
            px[x, y] = colour
    img.paste(local, box)


def main_base():
    img = window_base("Main", g.HEADER_H)
    l, t, r, b = g.LIGHT_PANEL
    rrect(img, (l, t, r, b), 10, C["panel"], C["panel_edge"])
    colour_wheel(img)
    for i, colour in enumerate(g.PRESET_COLOURS):
        x, y, w, h = g.control("Main", "m_btn_rgb%d" % (i + 1)).rect
        rrect(img, (x - 2, y - 2, x + w + 2, y + h + 2), 5, colour)
    # keyboard body with its top edge catching the light
    l, t, r, b = g.KEYBOARD_BODY
    rrect(img, (l, t, r, b), 12, ("v", C["body_top"], C["body_bottom"]), ("v", C["body_edge"], (26, 28, 32)))
    keys = [c.rect for c in g.CONTROLS["Main"] if c.face in ("key", "gkey", "led")]
    kx0 = min(x for x, _, _, _ in keys) - 7
    ky0 = min(y for _, y, _, _ in keys) - 7
    kx1 = max(x + w for x, _, w, _ in keys) + 6
    ky1 = max(y + h for _, y, _, h in keys) + 6
    rrect(img, (kx0, ky0, kx1, ky1), 8, C["plate"], (6, 7, 8))
    ring(img, (kx0, ky0, kx1, ky1), 8, (40, 44, 50), 1, alpha=120)
    bar_y = ky1 + 14
    glow_line(img, int(g.MAIN_BLOCK_X), kx1 - 6, bar_y,
              [(0, 200, 255), (60, 120, 255), (170, 60, 255), (255, 40, 150)], thickness=2, blur=3)
    wordmark(img, kx0 + 4, bar_y + 1, 9, (96, 102, 112), spacing=3)
    l, t, r, b = g.BOTTOM_DECK
    rrect(img, (l, t, r, b), 10, C["panel"], C["panel_edge"])
    return img


def composite_base():
    return window_base("Composite", g.COMP_HEADER_H)


def profile_base():
    img = window_base("Profile", g.DIALOG_HEADER_H)
    w, _ = img.size
    emblem(img, 30, 24, 12, (60, 220, 255), (10, 120, 200))
    wordmark(img, 48, 24, 15, (228, 232, 238))
    for i, a in enumerate((220, 150, 90)):
        y = 14 + i * 6
        paint(img, polygon_mask(w, img.size[1], [(w - 44, y + 5), (w - 32, y), (w - 20, y + 5), (w - 32, y + 10)]),
              C["accent"], alpha=a)
    x, y, cw, ch = g.control("Profile", "PROGRAM_LIST").rect
    rrect(img, (x - 4, y - 4, x + cw + 4, y + ch + 4), 6, C["panel"], C["panel_edge"])
    return img


def update_base():
    img = window_base("UpdateDlg", g.DIALOG_HEADER_H)
    w, h = img.size
    emblem(img, 30, 24, 12, (60, 220, 255), (10, 120, 200))
    wordmark(img, 48, 24, 15, (228, 232, 238))
    # a chip with an arrow into it: the firmware
    cx, cy = w - 36, 24
    rrect(img, (cx - 10, cy - 10, cx + 10, cy + 10), 3, (34, 38, 45), C["accent_dim"])
    for k in range(-6, 7, 4):
        img.paste(C["accent_dim"], (cx + k, cy - 14, cx + k + 2, cy - 10))
        img.paste(C["accent_dim"], (cx + k, cy + 10, cx + k + 2, cy + 14))
        img.paste(C["accent_dim"], (cx - 14, cy + k, cx - 10, cy + k + 2))
        img.paste(C["accent_dim"], (cx + 10, cy + k, cx + 14, cy + k + 2))
    for p in arrow_shape("down", cx, cy, 6):
        paint(img, polygon_mask(w, h, p), C["accent"])
    label = g.control("UpdateDlg", "CONTROL_UPStatic").rect
    combo = g.control("UpdateDlg", "CONTROL_UPCombox").screen_rect()
    rrect(img, (label[0] - 8, label[1] - 6, label[0] + label[2] + 8, combo[1] + combo[3] + 10), 8, C["panel"],
          C["panel_edge"])
    return img


BASES = {"Main": main_base, "Composite": composite_base, "Profile": profile_base, "UpdateDlg": update_base}


# ---- Sheets ---------------------------------------------------------------------------


def look_in(window, ctrl, sheet):
    """The look a control shows from this sheet: the first state whose pick names
    it, or None when no state of the control uses the sheet."""
    sets = g.SHEET_SETS[window]
    for i, look in enumerate(LOOKS):
        for set_name, picks in ctrl.sheets:
            if sets[set_name].get(picks[i]) == sheet:
                return look
    return None


def family_of(window, sheet):
    for set_name, files in g.SHEET_SETS[window].items():
        if sheet in files.values():
            return g.PAGE_FAMILIES.get(set_name, set_name)
    return None


def flip_ground(main_sheet, base):
    """A main sheet with F1..F4 taken away: their pieces back to the bare
    keyboard plate of the base picture."""
    img = main_sheet.copy()
    for key in g.FLIP_F_KEYS:
        x, y, w, h = g.control("Main", key).rect
        box = (x - 1, y - 1, x - 1 + w, y - 1 + h)
        img.paste(base.crop(box), box[:2])
    return img


def render_sheets(window):
    base = BASES[window]()
    window_edge(base, window)
    cache = {}
    sheets = {}
    for sheet in sheet_files(window):
        drawn_over = g.FLIP_SHEET_BASE.get(sheet) if window == "Main" else None
        if drawn_over is not None:
            if drawn_over not in sheets:
                raise ValueError("%s is drawn over %s, which comes after it" % (sheet, drawn_over))
            img = flip_ground(sheets[drawn_over], base)
        else:
            img = base.copy()
        family = family_of(window, sheet)
        for ctrl in g.CONTROLS[window]:
            if ctrl.kind != "image":
                continue
            look = look_in(window, ctrl, sheet)
            if look is None:
                continue
            x, y, w, h = ctrl.rect
            origin = (x - 1, y - 1)
            # Faces are drawn over what the sheet holds there already (a page
            # picture under the macro buttons), so equal looks over equal
            # ground are drawn once.
            ground = img.crop((origin[0], origin[1], origin[0] + w, origin[1] + h))
            key = (ctrl.key, look, family if ctrl.face == "page" else None, ground.tobytes())
            tile = cache.get(key)
            if tile is None:
                tile = ground.copy()
                draw_face(window, ctrl, look, family, tile)
                cache[key] = tile
            img.paste(tile, origin)
        if drawn_over is not None:
            img = img.crop((0, 0) + g.flip_sheet_size())
        sheets[sheet] = img
    return sheets


def sheet_size(window, name):
    """The size a sheet is drawn at: its window's, or a flip sheet's own."""
    if window == "Main" and name in g.FLIP_SHEET_BASE:
        return g.flip_sheet_size()
    return g.WINDOWS[window]


def window_mask(window):
    w, h = g.WINDOWS[window]
    coverage = rr_mask(w, h, g.CORNER_RADIUS[window])
    inside = coverage.point(lambda v: 255 if v >= 128 else 0)
    mask = Image.new("RGB", (w, h), (255, 255, 255))
    mask.paste((0, 0, 0), (0, 0), inside)
    return mask


# ---- Pictures -------------------------------------------------------------------------


def picture(name):
    key, what = g.PICTURES[name]
    w, h = g.control("Main", key).rect[2:]
    img = Image.new("RGB", (w, h), C["panel"])
    kind = what[0]
    if kind == "lamp":
        draw_lamp(img, what[1])
    elif kind == "slider":
        draw_slider(img, what[1], what[2])
    elif kind == "direction":
        draw_direction(img, what[1], what[2])
    elif kind == "multi":
        draw_multi(img, what[1])
    elif kind == "four":
        draw_four(img, what[1], what[2])
    elif kind == "tool":
        draw_tool(img, what[1], what[2])
    elif kind == "busy":
        draw_busy(img, what[1])
    return img


def draw_lamp(img, on):
    w, h = img.size
    track = (2, 3, w - 2, h - 3)
    th = track[3] - track[1]
    if on:
        halo = Image.new("L", (w, h), 0)
        ImageDraw.Draw(halo).rounded_rectangle([track[0], track[1], track[2] - 1, track[3] - 1], radius=th // 2,
                                               fill=120)
        paint(img, halo.filter(ImageFilter.GaussianBlur(2)), C["accent"])
        rrect(img, track, th // 2, ("h", (10, 120, 160), (30, 200, 255)), (120, 230, 255))
        knob_x = track[2] - th // 2 - 1
        symbol_x = track[0] + 22
        symbol_colour = (255, 255, 255)
    else:
        rrect(img, track, th // 2, ("v", (44, 48, 56), (36, 40, 46)), (66, 72, 82))
        knob_x = track[0] + th // 2 + 1
        symbol_x = track[2] - 22
        symbol_colour = (120, 126, 135)
    cy = (track[1] + track[3]) / 2.0
    kr = th / 2.0 - 3
    paint(img, ellipse_mask(w, h, (knob_x - kr, cy - kr, knob_x + kr, cy + kr)),
          ("v", (250, 252, 255), (200, 206, 214)) if on else ("v", (150, 156, 165), (110, 116, 125)))
    # the power symbol
    r = 6.0
    points = []
    for i in range(0, 31):
        a = math.radians(-50 + i * (280 / 30.0))
        points.append((symbol_x + r * math.cos(a), cy + r * math.sin(a)))
    paint(img, lines_mask(w, h, [points, [(symbol_x, cy - r - 1.5), (symbol_x, cy - 1)]], 1.8), symbol_colour)


SLIDER_FILLS = {"light": ((150, 110, 30), (255, 214, 110)), "speed": ((10, 110, 150), (40, 210, 255)),
                "dim": ((70, 76, 86), (120, 126, 135))}


def slider_stops(w):
    margin = 10
    return [margin + p * (w - 2 * margin) / 4.0 for p in range(5)]


def draw_slider(img, style, position):
    w, h = img.size
    cy = h / 2.0
    stops = slider_stops(w)
    x0, x1 = stops[0], stops[-1]
    rrect(img, (int(x0 - 3), int(cy - 3), int(x1 + 4), int(cy + 3)), 3, (40, 44, 51), (60, 66, 76))
    lo, hi = SLIDER_FILLS[style]
    if position is not None and position > 0:
        end = stops[position]
        fill_w = int(end - x0 + 4)
        rrect(img, (int(x0 - 3), int(cy - 3), int(x0 - 3) + fill_w, int(cy + 3)), 3, ("h", lo, hi))
    for p, sx in enumerate(stops):
        lit = position is not None and p <= position
        paint(img, ellipse_mask(w, h, (sx - 2, cy + 6, sx + 2, cy + 10)), hi if lit else (76, 82, 92))
    if position is not None:
        kx = stops[position]
        paint(img, ellipse_mask(w, h, (kx - 8, cy - 8, kx + 8, cy + 8)), hi)
        paint(img, ellipse_mask(w, h, (kx - 6.5, cy - 6.5, kx + 6.5, cy + 6.5)),
              ("v", (250, 252, 255), (196, 202, 212)))


def draw_direction(img, kind, chosen):
    w, h = img.size
    if chosen:
        rrect(img, (1, 1, w - 1, h - 1), 6, ("v", (16, 92, 118), C["accent_deep"]), C["accent"])
        colour = (255, 255, 255)
    else:
        rrect(img, (1, 1, w - 1, h - 1), 6, ("v", (44, 48, 56), (36, 40, 46)), (66, 72, 82))
        colour = (150, 156, 165)
    cx, cy = w / 2.0, h / 2.0
    if kind in ("left", "right", "up", "down"):
        shapes = arrow_shape(kind, cx, cy, 8.5)
    elif kind == "spread":
        shapes = arrow_shape("left", cx - 7, cy, 6.5) + arrow_shape("right", cx + 7, cy, 6.5)
    else:  # gather
        shapes = arrow_shape("right", cx - 8, cy, 6.5) + arrow_shape("left", cx + 8, cy, 6.5)
    for p in shapes:
        paint(img, polygon_mask(w, h, p), colour)


def draw_multi(img, on):
    w, h = img.size
    box = (2, 2, w - 2, h - 2)
    if on:
        quad = Image.new("RGB", (w, h))
        qp = quad.load()
        for y in range(h):
            for x in range(w):
                hue = (math.atan2(y - h / 2.0, x - w / 2.0) / (2 * math.pi)) % 1.0
                qp[x, y] = tuple(int(v * 255) for v in colorsys.hsv_to_rgb(hue, 0.85, 1.0))
        rrect(img, box, 5, (255, 255, 255))
        paint(img, rr_mask(w - 4, h - 4, 4, 1), quad.crop((2, 2, w - 2, h - 2)), (2, 2))
        check = [(6.5, 12.5), (10.5, 16.5), (17.5, 7.5)]
        paint(img, lines_mask(w, h, [check], 3.2), (20, 22, 26))
        paint(img, lines_mask(w, h, [check], 1.8), (255, 255, 255))
    else:
        rrect(img, box, 5, (36, 40, 46), (100, 106, 116), 1)


def draw_four(img, colour, chosen):
    w, h = img.size
    if chosen:
        rrect(img, (1, 1, w - 1, h - 1), 6, (255, 255, 255))
        rrect(img, (3, 3, w - 3, h - 3), 4, ("v", mix(colour, (255, 255, 255), 0.15), colour))
        check = [(w / 2.0 - 6, h / 2.0), (w / 2.0 - 1.5, h / 2.0 + 4.5), (w / 2.0 + 6, h / 2.0 - 4)]
        paint(img, lines_mask(w, h, [check], 3.4), (20, 22, 26), alpha=140)
        paint(img, lines_mask(w, h, [check], 2.0), (255, 255, 255))
    else:
        rrect(img, (1, 1, w - 1, h - 1), 6, mix(colour, C["panel"], 0.55), (80, 86, 96))


def draw_tool(img, kind, chosen):
    w, h = img.size
    if chosen:
        rrect(img, (1, 1, w - 1, h - 1), 6, ("v", (16, 92, 118), C["accent_deep"]), C["accent"])
        colour = (255, 255, 255)
        paint_colour = (255, 180, 60)
    else:
        rrect(img, (1, 1, w - 1, h - 1), 6, ("v", (44, 48, 56), (36, 40, 46)), (66, 72, 82))
        colour = (150, 156, 165)
        paint_colour = (150, 120, 80)
    cx, cy = w / 2.0, h / 2.0
    if kind == "brush":
        paint(img, lines_mask(w, h, [[(cx + 9, cy - 9), (cx + 1, cy - 1)]], 2.6), colour)
        tip = [(cx + 2.5, cy - 2.5), (cx - 1.5, cy + 1.5), (cx - 6, cy + 8), (cx - 8.5, cy + 8.5), (cx - 5.5, cy + 2.5)]
        paint(img, polygon_mask(w, h, tip), paint_colour)
        paint(img, lines_mask(w, h, [[(cx + 2.2, cy - 3.2), (cx - 1.0, cy + 0.0)]], 3.6), colour)
    else:
        bucket = [(cx - 9, cy - 2), (cx - 1, cy - 10), (cx + 7, cy - 2), (cx - 1, cy + 6)]
        paint(img, polygon_mask(w, h, bucket), colour)
        inner = [(cx - 6, cy - 2), (cx - 1, cy - 7), (cx + 4, cy - 2)]
        paint(img, polygon_mask(w, h, inner), paint_colour)
        drop = (cx + 6, cy + 1, cx + 11, cy + 8)
        paint(img, ellipse_mask(w, h, drop), paint_colour)
        paint(img, polygon_mask(w, h, [(cx + 8.5, cy - 3), (cx + 6.2, cy + 3), (cx + 10.8, cy + 3)]), paint_colour)


def draw_busy(img, frame):
    w, h = img.size
    rrect(img, (0, 0, w, h), h // 2, (36, 40, 46), (58, 64, 74))
    inner = rr_mask(w, h, h // 2, 2)
    glow = Image.new("RGB", (w, h), (0, 0, 0))
    gp = glow.load()
    # a light running round the bar: frame 10 leads back into frame 1
    centre = (frame + 0.5) * w / 10.0
    for x in range(w):
        distance = abs(x - centre)
        distance = min(distance, w - distance)
        t = max(0.0, 1.0 - distance / 46.0)
        c = mix((0, 0, 0), C["accent"], t ** 1.5)
        for y in range(h):
            gp[x, y] = c
    lit = ImageChops.add(img, glow)
    img.paste(lit, (0, 0), inner)


def arrow_sheet():
    aw, ah = g.ARROW_SIZE
    img = Image.new("RGB", g.ARROW_SHEET_SIZE, C["panel"])
    w, h = img.size
    for key, (cx, cy) in g.ARROW_CELLS.items():
        frame = key[-1]
        up = key.startswith("UP")
        colour = C["accent"] if frame == "1" else C["accent_dim"]
        x0, y0 = cx * aw, cy * ah
        mx = x0 + aw / 2.0
        for k, offset in enumerate((-4, 4)):
            yy = y0 + ah / 2.0 + offset
            tip = yy - 3.5 if up else yy + 3.5
            back = yy + 3.5 if up else yy - 3.5
            alpha = 255 if k == (0 if up else 1) else 150
            paint(img, lines_mask(w, h, [[(mx - 5, back), (mx, tip), (mx + 5, back)]], 2.2), colour, alpha=alpha)
    return img


def palette_sheet():
    w, h = g.COLOUR_SHEET_SIZE
    img = Image.new("RGB", (w, h), C["panel"])
    cols, rows = 10, 6
    cw, ch = (w - 4) / cols, (h - 4) / rows
    for row in range(rows):
        for col in range(cols):
            if row == rows - 1:
                v = col / (cols - 1)
                colour = (int(255 * v),) * 3
            else:
                hue = col / cols
                sat = [1.0, 0.75, 1.0, 0.5, 0.3][row]
                val = [1.0, 1.0, 0.7, 1.0, 1.0][row]
                colour = tuple(int(round(x * 255)) for x in colorsys.hsv_to_rgb(hue, sat, val))
            x0, y0 = int(2 + col * cw), int(2 + row * ch)
            rrect(img, (x0 + 1, y0 + 1, int(2 + (col + 1) * cw) - 1, int(2 + (row + 1) * ch) - 1), 3, colour)
    return img


def hue_sheet():
    w, h = g.COLOUR_SHEET_SIZE
    img = Image.new("RGB", (w, h))
    px = img.load()
    for y in range(h):
        for x in range(w):
            hue = x / (w - 1)
            t = y / (h - 1)
            sat = 1.0 - max(0.0, (t - 0.5) * 2)
            val = min(1.0, 0.15 + 1.7 * t)
            px[x, y] = tuple(int(round(v * 255)) for v in colorsys.hsv_to_rgb(hue, sat, val))
    return img


# ---- Files ----------------------------------------------------------------------------


def jpeg_bytes(img):
    out = io.BytesIO()
    img.convert("RGB").save(out, "JPEG", quality=JPEG_QUALITY, subsampling=0, optimize=False, progressive=False)
    return out.getvalue()


def bmp_bytes(img):
    out = io.BytesIO()
    img.convert("RGB").save(out, "BMP")
    return out.getvalue()


def utf16_ini(lines):
    data = "\r\n".join(lines) + "\r\n"
    return b"\xff\xfe" + data.encode("utf-16-le")


def rect_text(rect):
    return "%d,%d,%d,%d" % tuple(rect)


def ini_lines(window):
    lines = ["; Written by tools/make_skin.py from skin/geometry.py.", "[SCREEN]",
             "Main=" + g.BACKGROUND[window], "Mask=" + g.MASK[window]]
    if window == "Main":
        lines.append("Link=" + g.LINK)
    lines += ["", "[BUTTONINFO]"]
    for ctrl in g.CONTROLS[window]:
        lines.append("%s=%s" % (ctrl.key, rect_text(ctrl.rect)))
    if window == "Main":
        lines += ["", "[BUTTONINFO2]"]
        for key in g.ARROW_KEY_ORDER:
            lines.append("%s=%s" % (key, rect_text(g.arrow_source(key))))
        for section, column in (("Control_Name", 1), ("Control_Name1", 2)):
            lines += ["", "[%s]" % section]
            lines += ["%s=%s" % (row[0], row[column]) for row in g.LABELS]
        for section, column in (("Mode", 1), ("Mode1", 2)):
            lines += ["", "[%s]" % section]
            lines += ["%d=%s" % (row[0], row[column]) for row in g.EFFECT_NAMES]
    return lines


# ---- User modes -----------------------------------------------------------------------


def key_places():
    """(light position, centre x and y from 0 to 1 over the keyboard) of every
    key of the colour file: the panel keys, Fn and the G-keys (one entry)."""
    keys = [c for c in g.CONTROLS["Main"] if c.face in ("key", "gkey")]
    xs = [c.rect[0] + c.rect[2] / 2.0 for c in keys]
    ys = [c.rect[1] + c.rect[3] / 2.0 for c in keys]
    x0, x1, y0, y1 = min(xs), max(xs), min(ys), max(ys)
    places = {}
    for c, x, y in zip(keys, xs, ys):
        pos = c.style["light"]
        if pos in places:
            continue
        places[pos] = ((x - x0) / (x1 - x0), (y - y0) / (y1 - y0), c.key)
    return places


def hsv(h, s, v):
    return tuple(int(round(x * 255)) for x in colorsys.hsv_to_rgb(h % 1.0, s, v))


WASD = {"KEY_011", "KEY_01E", "KEY_01F", "KEY_020"}
ARROWS = {"KEY_0C8", "KEY_0CB", "KEY_0D0", "KEY_0CD"}
MODIFIERS = {"KEY_02A", "KEY_036", "KEY_01D", "KEY_09D", "KEY_038", "KEY_0B8", "KEY_0DB", "KEY_0DC", "KEY_0DD",
             "KEY_FN", "KEY_00F", "KEY_03A", "KEY_00E", "KEY_01C", "KEY_001"}


def user_modes():
    """Ten user modes: (name, tool, base colour, paint colour, rule) where
    rule(x, y, key) gives (colour, follows base)."""
    base_blue = (0, 40, 255)
    return [
        ("Aurora", 0, (0, 190, 150), (200, 0, 255),
         lambda x, y, k: (hsv(0.44 + 0.34 * x + 0.06 * math.sin(6 * y), 1.0, 1.0), False)),
        ("Sunset", 0, (255, 110, 0), (255, 0, 110),
         lambda x, y, k: (mix((120, 0, 200), (255, 130, 0), y) if y < 1 else (255, 130, 0), False)),
        ("Ocean", 0, (0, 70, 220), (0, 230, 255),
         lambda x, y, k: (hsv(0.5 + 0.12 * (0.5 + 0.5 * math.sin(5 * x + 3 * y)), 1.0, 1.0), False)),
        ("Forest", 1, (0, 170, 40), (190, 255, 0),
         lambda x, y, k: ((190, 255, 0), False) if k in WASD else ((0, 170, 40), True)),
        ("Ember", 0, (255, 30, 0), (255, 200, 0),
         lambda x, y, k: (mix((255, 210, 0), (255, 20, 0), y), False)),
        ("Arctic", 1, (255, 255, 255), (80, 200, 255),
         lambda x, y, k: ((80, 200, 255), False) if y == 0 or x > 0.82 else ((255, 255, 255), True)),
        ("Neon Gamer", 1, base_blue, (255, 0, 200),
         lambda x, y, k: ((255, 0, 200), False) if k in WASD or k in ARROWS
         else ((0, 255, 240), False) if k in ("KEY_002", "KEY_003", "KEY_004", "KEY_005", "KEY_006")
         else ((255, 30, 30), False) if k == "KEY_001" else (base_blue, True)),
        ("Sakura", 1, (255, 110, 170), (255, 255, 255),
         lambda x, y, k: ((255, 235, 245), False) if int(x * 97 + y * 31) % 7 == 0 else ((255, 110, 170), True)),
        ("Focus", 1, (255, 196, 130), (255, 120, 0),
         lambda x, y, k: ((255, 120, 0), False) if k in MODIFIERS else ((255, 196, 130), True)),
        ("Rainbow", 0, (255, 0, 0), (255, 255, 255),
         lambda x, y, k: (hsv(0.92 * x, 1.0, 1.0), False)),
    ]


def userd_lines():
    places = key_places()
    modes = user_modes()
    lines = ["[PRESENTMODE]", "mode=0", "", "[MODENAME]"]
    lines += ["%d=%s" % (i, m[0]) for i, m in enumerate(modes)]
    for i, (name, tool, base, paint_colour, rule) in enumerate(modes):
        lines += ["", "[Mode%d]" % i, "tool=%d" % tool, "jcolor=%d,%d,%d" % base,
                  "color=%d,%d,%d" % paint_colour]
        for pos in sorted(places):
            x, y, key = places[pos]
            colour, follows = rule(x, y, key)
            if follows:
                colour = base
            lines.append("%d=%d,%d,%d,%d" % ((pos,) + tuple(colour) + (1 if follows else 0,)))
    return lines


# ---- Main -----------------------------------------------------------------------------


def write(outdir, name, data):
    path = os.path.join(outdir, name)
    temp = path + ".part"
    with open(temp, "wb") as f:
        f.write(data)
    os.replace(temp, path)


def main(argv):
    if len(argv) == 2 and argv[1] == "--list":
        print("\n".join(output_names()))
        return 0
    if len(argv) != 2:
        sys.stderr.write("usage: make_skin.py OUTDIR | --list\n")
        return 2
    outdir = argv[1]
    g.check()
    load_pillow()
    os.makedirs(outdir, exist_ok=True)
    written = []

    def put(name, data):
        write(outdir, name, data)
        written.append(name)

    for window in g.WINDOWS:
        put(window + ".ini", utf16_ini(ini_lines(window)))
        for name, img in render_sheets(window).items():
            w, h = img.size
            if (w, h) != sheet_size(window, name):
                raise ValueError("%s is %dx%d, not %r" % (name, w, h, sheet_size(window, name)))
            put(name, jpeg_bytes(img))
        put(g.MASK[window], bmp_bytes(window_mask(window)))
    put("Arrow.jpg", jpeg_bytes(arrow_sheet()))
    put("main_color0.jpg", jpeg_bytes(palette_sheet()))
    put("main_color1.jpg", jpeg_bytes(hue_sheet()))
    for name in g.PICTURES:
        put(name, bmp_bytes(picture(name)))
    put("UserDengColor_3.userd", utf16_ini(userd_lines()))
    missing = sorted(set(output_names()) - set(written))
    if missing:
        raise ValueError("not written: " + ", ".join(missing))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
