#!/usr/bin/env python3
"""Draws the help page's effect pictures: one animated GIF per animated
lighting effect, the keyboard as the main window shows it while the lamp is on.

    make_preview_strips.py PREVIEW_FRAMES OUTDIR [--skins DIR] [--effects 3,4,...]
    make_preview_strips.py --list      the names of the files it writes, one a line

PREVIEW_FRAMES is the host build's tools/preview_frames program, which runs the
program's own preview engine after an effect selection and prints what every
key shows, frame by frame. The keyboard is the main window's picture
(main_normal.jpg of the built skin, by default the Skins folder beside
PREVIEW_FRAMES) with every key button on it as the window places it, cut to
the keyboard and scaled to 600 pixels wide. A tinted key is drawn the way the
window draws a tint, at the picture's scale: a frame of the colour round the
key, and inside it the key's cap and legend each with the colour laid over
them at strength 50. Each effect becomes OUTDIR/effect-NN.gif, one frame every
50 ms, looping.

A GIF holds 256 colours: the keyboard's picture takes some, and the tints the
rest, three entries each (frame, cap, legend), so a tinted key is always drawn
in exactly its three colours; an effect with more tints than fit (the reactive
effects fade each key through many levels) has its tints grouped to the
nearest of those that fit. Pixels a frame does not change are transparent.

Every file is written beside itself and moved into place, and nothing is
written before every effect is drawn and read back, so a failed run leaves
the files of an earlier one whole. The output depends on nothing but the
tool, the skin, skin/geometry.py and Pillow: two runs write the same bytes.
"""
import argparse
import io
import os
import subprocess
import sys
from collections import Counter

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "skin"))
import geometry as g  # noqa: E402

# The lighting panel's blue preset, for the effects shown in one colour.
ONE_COLOUR = "%02X%02X%02X" % g.PRESET_COLOURS[2]

# The animated effects and how each is shown: the tool's options and the
# number of frames. A single-coloured flow or sweep shows its shape best; the
# reactive effects show their random colours with Multicolor. Where the
# effect repeats within about 40 frames, one whole round loops seamlessly.
STRIPS = {
    3: (["--colour", ONE_COLOUR], 24),       # one round of the breath along the serpentine order
    4: ([], 40),
    5: (["--colour", ONE_COLOUR], 40),
    6: (["--colour", ONE_COLOUR], 32),       # one sweep
    10: (["--multicolour"], 40),
    11: ([], 40),
    12: ([], 40),
    13: (["--multicolour"], 40),
    14: (["--multicolour"], 40),
    15: (["--multicolour"], 40),
    16: (["--multicolour"], 40),
    18: ([], 40),
}

FRAME_MS = 50
WIDTH = 600
TINT_PERCENT = 50          # the window lays a tint over a key at this strength
FRAME_PEN = 2              # inside a frame of the colour this wide
BACKGROUND = "main_normal.jpg"
TRANSPARENT = 255          # the palette entry of unchanged pixels
MOST_TINTS = 64            # tints with their own entries; the picture keeps 255 - 3 x that at least
# A key pixel at least this far from the cap's brightness towards the
# legend's belongs to the legend.
LEGEND_SHARE = 0.35


class StripError(Exception):
    pass


# ---- The tool's frames ----------------------------------------------------------------


def parse_colour(text):
    if len(text) != 6 or any(c not in "0123456789abcdefABCDEF" for c in text):
        raise ValueError(text)
    value = int(text, 16)
    return (value >> 16 & 0xFF, value >> 8 & 0xFF, value & 0xFF)


def read_frames(tool, effect, options, count):
    """The tool's frames: per frame a dict control -> (r, g, b) or None, what
    every lit key shows (a "leave" frame keeps what the last one showed)."""
    command = [tool, str(effect), str(count)] + list(options)
    try:
        done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False)
    except OSError as e:
        raise StripError("cannot run %s: %s" % (tool, e.strerror or e))
    if done.returncode != 0:
        raise StripError("%s failed (exit %d): %s" % (" ".join(command), done.returncode,
                                                       done.stderr.decode(errors="replace").strip()))
    lines = done.stdout.decode("ascii", errors="replace").splitlines()
    if len(lines) != count:
        raise StripError("effect %d: %d frames asked for, %d given" % (effect, count, len(lines)))
    frames = []
    shown = {}
    for number, line in enumerate(lines, 1):
        words = line.split()
        kind = words[0] if words else ""
        if kind == "leave" and len(words) == 1:
            frames.append(dict(shown))
            continue
        if kind not in ("tints", "clear") or len(words) == 1:
            raise StripError("effect %d, frame %d: unreadable line %r" % (effect, number, line[:60]))
        shown = {}
        for word in words[1:]:
            control, _, tint = word.partition(":")
            try:
                control = int(control)
                colour = None if tint == "-" else parse_colour(tint)
            except ValueError:
                raise StripError("effect %d, frame %d: unreadable key %r" % (effect, number, word))
            if kind == "clear" and colour is not None:
                raise StripError("effect %d, frame %d: a cleared frame with a tint" % (effect, number))
            if control in shown:
                raise StripError("effect %d, frame %d: key %d twice" % (effect, number, control))
            shown[control] = colour
        frames.append(dict(shown))
    return frames


# ---- The keyboard ---------------------------------------------------------------------


def blend(under, colour):
    """A pixel with the colour laid over it, with the window's own rounding."""
    return tuple((u * (100 - TINT_PERCENT) + c * TINT_PERCENT) // 100 for u, c in zip(under, colour))


def brightness(colour):
    r, gr, b = colour
    return (299 * r + 587 * gr + 114 * b) // 1000


class Keyboard:
    """The main window's keyboard at the pictures' scale: the picture itself,
    and per lit key its rectangle and which of its pixels are legend."""

    def __init__(self, skins):
        from PIL import Image
        path = os.path.join(skins, BACKGROUND)
        try:
            with Image.open(path) as picture:
                sheet = picture.convert("RGB")
        except OSError as e:
            raise StripError("cannot read the skin's %s: %s" % (path, e))
        if sheet.size != g.WINDOWS["Main"]:
            raise StripError("%s is %dx%d, the main window %dx%d" % ((path,) + sheet.size + g.WINDOWS["Main"]))
        # The window as it shows: each button shows the piece of its sheet
        # from one pixel left of and above its own place.
        window = sheet.copy()
        keys = {}
        for c in g.CONTROLS["Main"]:
            if c.kind != "image" or c.face not in ("key", "gkey", "led") or c.layout not in (None, 0):
                continue
            x, y, w, h = c.rect
            window.paste(sheet.crop((x - 1, y - 1, x - 1 + w, y - 1 + h)), (x, y))
            if c.face != "led":
                keys[c.control] = c.rect
        left, top, right, bottom = g.KEYBOARD_BODY
        height = round(WIDTH * (bottom - top) / (right - left))
        self.picture = window.crop(g.KEYBOARD_BODY).resize((WIDTH, height), Image.BOX)
        sx, sy = WIDTH / (right - left), height / (bottom - top)
        self.pen = max(1, round(FRAME_PEN * sx))
        self.rects = {}
        for control, (x, y, w, h) in keys.items():
            x0, y0 = round((x - left) * sx), round((y - top) * sy)
            x1, y1 = round((x + w - left) * sx), round((y + h - top) * sy)
            self.rects[control] = (x0, y0, x1, y1)
        # Legend or cap, pixel by pixel, and the two colours as the scaled picture shows them.
        cap, legend = g.COLOURS["cap_top"], g.COLOURS["legend"]
        threshold = brightness(cap) + (brightness(legend) - brightness(cap)) * LEGEND_SHARE
        self.legend_masks = {}
        sums = {True: [0, 0, 0, 0], False: [0, 0, 0, 0]}
        for control, box in sorted(self.rects.items()):
            face = self.picture.crop(box)
            mask = face.convert("L").point(lambda v: 255 if v >= threshold else 0)
            self.legend_masks[control] = mask
            w, h = face.size
            for i, (pixel, is_legend) in enumerate(zip(face.getdata(), mask.getdata())):
                x, y = i % w, i // w
                if self.pen <= x < w - self.pen and self.pen <= y < h - self.pen:
                    total = sums[bool(is_legend)]
                    for n in range(3):
                        total[n] += pixel[n]
                    total[3] += 1
        if not sums[True][3] or not sums[False][3]:
            raise StripError("%s shows no key legends" % path)
        self.cap = tuple(sums[False][n] // sums[False][3] for n in range(3))
        self.legend = tuple(sums[True][n] // sums[True][3] for n in range(3))


# ---- Palette and frames ---------------------------------------------------------------


def chosen_tints(frames):
    """The tints that get palette entries, and each tint's nearest among them."""
    from PIL import Image
    counts = Counter(colour for shown in frames for colour in shown.values() if colour is not None)
    if len(counts) <= MOST_TINTS:
        chosen = sorted(counts)
    else:
        every = [colour for colour in sorted(counts) for _ in range(counts[colour])]
        strip = Image.new("RGB", (len(every), 1))
        strip.putdata(every)
        grouped = strip.quantize(colors=MOST_TINTS, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
        entries = grouped.getpalette()
        chosen = sorted({tuple(entries[3 * i:3 * i + 3]) for i in set(grouped.getdata())})

    def nearest(colour):
        return min(chosen, key=lambda c: (sum((a - b) ** 2 for a, b in zip(c, colour)), c))
    return chosen, {colour: nearest(colour) for colour in counts}


class Palette:
    """Up to 255 different colours; the last entry is the transparent one."""

    def __init__(self):
        self.colours = []
        self.index = {}

    def add(self, colour):
        colour = tuple(colour)
        if colour not in self.index:
            if len(self.colours) >= TRANSPARENT:
                raise StripError("more than %d colours" % TRANSPARENT)
            self.index[colour] = len(self.colours)
            self.colours.append(colour)
        return self.index[colour]

    def entries(self):
        """768 bytes, every entry a colour of its own (the GIF writer finds
        entries by colour), the transparent one included."""
        colours = list(self.colours)
        spare = (n for n in range(1 << 24) if (n >> 16, n >> 8 & 255, n & 255) not in self.index)
        while len(colours) < 256:
            n = next(spare)
            colours.append((n >> 16, n >> 8 & 255, n & 255))
        return bytes(v for colour in colours for v in colour)


def indexed_frames(keyboard, frames):
    """The frames as palette indices (full pictures), and the palette."""
    from PIL import Image, ImageDraw
    chosen, nearest = chosen_tints(frames)
    palette = Palette()
    ramps = {}
    for tint in chosen:
        ramps[tint] = (palette.add(tint), palette.add(blend(keyboard.cap, tint)),
                       palette.add(blend(keyboard.legend, tint)))
    # The picture takes what is left.
    room = TRANSPARENT - len(palette.colours)
    picture = keyboard.picture.quantize(colors=room, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    entries = picture.getpalette()
    to_palette = bytes(palette.add(entries[3 * i:3 * i + 3]) for i in range(max(picture.getdata()) + 1))
    ground = Image.frombytes("L", picture.size, picture.tobytes().translate(to_palette + bytes(256 - len(to_palette))))

    tiles = {}

    def tile(control, tint):
        key = (control, tint)
        if key not in tiles:
            frame_entry, cap_entry, legend_entry = ramps[tint]
            x0, y0, x1, y1 = keyboard.rects[control]
            piece = Image.new("L", (x1 - x0, y1 - y0), cap_entry)
            piece.paste(legend_entry, (0, 0), keyboard.legend_masks[control])
            ImageDraw.Draw(piece).rectangle((0, 0, x1 - x0 - 1, y1 - y0 - 1), outline=frame_entry,
                                            width=keyboard.pen)
            tiles[key] = piece
        return tiles[key]

    out = []
    for shown in frames:
        unknown = sorted(set(shown) - set(keyboard.rects))
        if unknown:
            raise StripError("the preview tints controls the skin has no key for: %s" % unknown)
        frame = ground.copy()
        for control, colour in sorted(shown.items()):
            if colour is not None:
                frame.paste(tile(control, nearest[colour]), keyboard.rects[control][:2])
        out.append(frame)
    return out, palette.entries()


def gif_bytes(frames, entries):
    """The GIF: the first frame whole, then each frame with the pixels it
    leaves as they were transparent. Read back and compared before it is used."""
    from PIL import Image, ImageChops
    written = [frames[0]]
    for before, now in zip(frames, frames[1:]):
        changed = ImageChops.difference(before, now).point(lambda v: 255 if v else 0)
        delta = Image.new("L", now.size, TRANSPARENT)
        delta.paste(now, (0, 0), changed)
        written.append(delta)
    pictures = []
    for frame in written:
        picture = Image.frombytes("P", frame.size, frame.tobytes())
        picture.putpalette(entries)
        pictures.append(picture)
    out = io.BytesIO()
    pictures[0].save(out, "GIF", save_all=True, append_images=pictures[1:], duration=FRAME_MS, loop=0,
                     optimize=False, disposal=1, transparency=TRANSPARENT, palette=entries)
    data = out.getvalue()
    check_gif(data, frames, entries)
    return data


def check_gif(data, frames, entries):
    """Reads the GIF back: every frame must show what it was drawn to show
    for as long as it was meant to."""
    from PIL import Image
    expected = []
    for frame in frames:
        picture = Image.frombytes("P", frame.size, frame.tobytes())
        picture.putpalette(entries)
        expected.append(picture.convert("RGB").tobytes())
    shown = []
    with Image.open(io.BytesIO(data)) as gif:
        for n in range(gif.n_frames):
            gif.seek(n)
            duration = gif.info.get("duration", 0)
            if duration % FRAME_MS or duration <= 0:
                raise StripError("the GIF's frame %d lasts %r ms" % (n, duration))
            shown += [gif.convert("RGB").tobytes()] * (duration // FRAME_MS)
    if shown != expected:
        raise StripError("the GIF does not read back as drawn")


# ---- Files ------------------------------------------------------------------------------


def write(path, data):
    temp = path + ".part"
    try:
        with open(temp, "wb") as f:
            f.write(data)
        os.replace(temp, path)
    except OSError:
        if os.path.exists(temp):
            os.remove(temp)
        raise


def strip_name(effect):
    return "effect-%02d.gif" % effect


def make_strips(tool, outdir, skins, effects):
    keyboard = Keyboard(skins)
    drawn = []
    for effect in effects:
        options, count = STRIPS[effect]
        frames, entries = indexed_frames(keyboard, read_frames(tool, effect, options, count))
        drawn.append((strip_name(effect), gif_bytes(frames, entries)))
    os.makedirs(outdir, exist_ok=True)
    for name, data in drawn:
        write(os.path.join(outdir, name), data)
    return [name for name, _ in drawn]


def parse_effects(text):
    try:
        effects = [int(word) for word in text.split(",")]
    except ValueError:
        raise argparse.ArgumentTypeError("a list of effect numbers: %r" % text)
    unknown = [e for e in effects if e not in STRIPS]
    if unknown:
        raise argparse.ArgumentTypeError("no preview for effect %s (animated: %s)" % (
            ", ".join(map(str, unknown)), ", ".join(map(str, sorted(STRIPS)))))
    return sorted(set(effects))


def main(argv):
    if argv[1:] == ["--list"]:
        print("\n".join(strip_name(effect) for effect in sorted(STRIPS)))
        return 0
    parser = argparse.ArgumentParser(description="Draws the help page's lighting effect pictures.")
    parser.add_argument("tool", help="the preview_frames program")
    parser.add_argument("outdir", help="where effect-NN.gif go")
    parser.add_argument("--skins", help="the built skin folder (default: Skins beside the tool)")
    parser.add_argument("--effects", type=parse_effects, default=sorted(STRIPS),
                        help="comma-separated effect numbers (default: every animated effect)")
    args = parser.parse_args(argv[1:])
    skins = args.skins or os.path.join(os.path.dirname(os.path.abspath(args.tool)), "Skins")
    try:
        import PIL  # noqa: F401
    except ImportError:
        sys.stderr.write("make_preview_strips.py needs Pillow (Debian: python3-pil)\n")
        return 2
    try:
        names = make_strips(args.tool, args.outdir, skins, args.effects)
    except (StripError, OSError) as e:
        sys.stderr.write("make_preview_strips.py: %s\n" % e)
        return 1
    for name in names:
        print(os.path.join(args.outdir, name))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
