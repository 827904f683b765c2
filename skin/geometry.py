"""Where everything of the program's skinned windows sits.

This is the one description of the skin's geometry: the size of each window,
the rectangle of every control that a skin INI places, the keys of the
keyboard picture, the pictures of the lighting panel and the colours of the
look. tools/make_skin.py writes the INI files and draws every sheet and
picture from it, so a rectangle in an INI and the face drawn for it in the
sheets can never disagree.

Rectangles are (x, y, w, h) in the window's client pixels. An image button
shows the w x h piece of a sheet that starts at (x - 1, y - 1).

Sheet picks: five letters naming the sheet shown for the states normal,
over, pressed, disabled and checked, in that order, taken from the window's
sheet sets below.
"""

# ---- Windows -------------------------------------------------------------------

WINDOWS = {
    "Main": (1300, 454),
    "Composite": (600, 420),
    "Profile": (480, 340),
    "UpdateDlg": (460, 222),
}

CORNER_RADIUS = {"Main": 16, "Composite": 14, "Profile": 14, "UpdateDlg": 14}

# Sheet sets: letter -> file. A window's sheets are the files of its sets.
SHEET_SETS = {
    "Main": {
        "main": {"n": "main_normal.jpg", "o": "main_over.jpg", "d": "main_down.jpg", "x": "main_disable.jpg"},
        # The flipped layout's keys D1..D6: each sheet is the main sheet of the
        # same letter with the block of F1..F4 drawn as the six D keys, cut to
        # the smallest picture from (0, 0) that holds them (FLIP_SHEET_BASE).
        "flip": {"n": "main_flip_normal.jpg", "o": "main_flip_over.jpg", "d": "main_flip_down.jpg",
                 "x": "main_flip_disable.jpg"},
    },
    "Composite": {
        # The key, media and function sets have no disabled sheet of their
        # own: their normal sheet serves.
        "key": {"n": "key_normal.jpg", "o": "key_over.jpg", "d": "key_down.jpg", "x": "key_normal.jpg"},
        "macro": {"n": "macro_normal.jpg", "o": "macro_over.jpg", "d": "macro_down.jpg",
                  "x": "macro_disable.jpg"},
        "macro2": {"n": "macro2_normal.jpg", "o": "macro2_over.jpg", "d": "macro2_down.jpg",
                   "x": "macro2_disable.jpg"},
        "media": {"n": "media_normal.jpg", "o": "media_over.jpg", "d": "media_down.jpg", "x": "media_normal.jpg"},
        "function": {"n": "function_normal.jpg", "o": "function_over.jpg", "d": "function_down.jpg",
                     "x": "function_normal.jpg"},
    },
    "Profile": {
        "profile": {"n": "Profile_normal.jpg", "o": "Profile_over.jpg", "d": "Profile_down.jpg"},
    },
    "UpdateDlg": {
        "update": {"n": "update_normal.jpg", "o": "update_over.jpg"},
    },
}

# The sheet each window shows as its background (SCREEN Main) and its mask.
BACKGROUND = {
    "Main": "main_normal.jpg",
    "Composite": "key_normal.jpg",
    "Profile": "Profile_normal.jpg",
    "UpdateDlg": "update_normal.jpg",
}
MASK = {"Main": "Main_mask.bmp", "Composite": "Composite_mask.bmp", "Profile": "Profile_mask.bmp",
        "UpdateDlg": "UpdateDlg_mask.bmp"}

LINK = "https://example.com/keyboard/"

# ---- Colours -------------------------------------------------------------------

COLOURS = {
    "window_top": (30, 33, 39),
    "window_bottom": (17, 19, 23),
    "window_edge": (58, 63, 72),
    "header_top": (36, 40, 47),
    "header_bottom": (26, 29, 34),
    "header_line": (46, 51, 59),
    "accent": (25, 200, 255),          # cyan: hover and selection
    "accent_dim": (12, 110, 140),
    "accent_deep": (10, 62, 80),
    "amber": (255, 178, 46),           # assigned keys
    "danger": (214, 48, 56),
    "panel": (29, 32, 38),             # flat surface under plain controls and pictures
    "panel_edge": (46, 51, 60),
    "body_top": (22, 24, 28),
    "body_bottom": (11, 12, 15),
    "body_edge": (66, 72, 82),
    "plate": (9, 10, 12),
    "cap_side": (32, 35, 41),
    "cap_side_dark": (20, 22, 26),
    "cap_top": (52, 57, 65),
    "cap_top_low": (41, 45, 52),
    "cap_hover_top": (70, 77, 88),
    "cap_hover_low": (56, 62, 71),
    "cap_down_top": (30, 33, 38),
    "cap_down_low": (25, 27, 31),
    "gcap_top": (50, 50, 66),
    "gcap_low": (40, 40, 54),
    "legend": (214, 219, 226),
    "legend_dim": (150, 156, 165),
    "legend_sub": (140, 147, 158),
    "button_top": (52, 57, 66),
    "button_low": (38, 42, 49),
    "button_edge": (66, 72, 82),
    "button_hover_top": (66, 73, 84),
    "button_hover_low": (48, 53, 62),
    "button_down_top": (26, 29, 34),
    "button_down_low": (31, 34, 40),
    "button_disabled": (34, 37, 43),
    "button_disabled_edge": (44, 48, 55),
    "primary_top": (16, 128, 160),
    "primary_low": (10, 92, 118),
    "icon": (196, 202, 210),
    "led_off": (58, 40, 26),
    "led_on": (255, 170, 30),
}

# The eight preset colour buttons of the lighting panel, (red, green, blue).
PRESET_COLOURS = [(236, 99, 31), (254, 0, 0), (1, 126, 255), (90, 255, 2), (234, 255, 0), (255, 192, 0),
                  (255, 0, 180), (175, 0, 255)]

# ---- Main window ---------------------------------------------------------------

MAIN_W, MAIN_H = WINDOWS["Main"]

# The colour wheel the main window reads the screen under: centre and radius.
WHEEL_CENTRE = (140, 144)
WHEEL_RADIUS = 63

HEADER_H = 60
LIGHT_PANEL = (10, 68, 318, 442)       # left, top, right, bottom
KEYBOARD_BODY = (328, 70, 1288, 372)
BOTTOM_DECK = (328, 382, 1288, 442)

# The keyboard picture: one key unit in pixels, the origin of the G-key
# column and of the main block.
UNIT = 38
KB_ORIGIN = (347, 88)
MAIN_BLOCK_X = KB_ORIGIN[0] + 1.75 * UNIT
KEY_GAP = 2                              # between two key rectangles

# The 104 keys of the panel: control id, skin key (from the key index),
# light position, legend (top, bottom; a single text is centred) and the key's
# place in units: column, row, width, height.
PANEL_KEYS = [
    # function row
    (1022, "KEY_001", 0, ("Esc",), (0, 0, 1, 1)),
    (1010, "KEY_03B", 1, ("F1",), (2, 0, 1, 1)),
    (1011, "KEY_03C", 2, ("F2",), (3, 0, 1, 1)),
    (1012, "KEY_03D", 3, ("F3",), (4, 0, 1, 1)),
    (1013, "KEY_03E", 4, ("F4",), (5, 0, 1, 1)),
    (1014, "KEY_03F", 5, ("F5",), (6.5, 0, 1, 1)),
    (1015, "KEY_040", 6, ("F6",), (7.5, 0, 1, 1)),
    (1023, "KEY_041", 7, ("F7",), (8.5, 0, 1, 1)),
    (1024, "KEY_042", 8, ("F8",), (9.5, 0, 1, 1)),
    (1025, "KEY_043", 9, ("F9",), (11, 0, 1, 1)),
    (1026, "KEY_044", 10, ("F10",), (12, 0, 1, 1)),
    (1027, "KEY_057", 11, ("F11",), (13, 0, 1, 1)),
    (1028, "KEY_058", 12, ("F12",), (14, 0, 1, 1)),
    (1091, "KEY_0B7", 14, ("PrtSc",), (15.25, 0, 1, 1)),
    (1092, "KEY_046", 15, ("ScrLk",), (16.25, 0, 1, 1)),
    (1093, "KEY_045", 16, ("Pause",), (17.25, 0, 1, 1)),
    # number row
    (1029, "KEY_029", 21, ("~", "`"), (0, 1.5, 1, 1)),
    (1030, "KEY_002", 22, ("!", "1"), (1, 1.5, 1, 1)),
    (1031, "KEY_003", 23, ("@", "2"), (2, 1.5, 1, 1)),
    (1032, "KEY_004", 24, ("#", "3"), (3, 1.5, 1, 1)),
    (1033, "KEY_005", 25, ("$", "4"), (4, 1.5, 1, 1)),
    (1034, "KEY_006", 26, ("%", "5"), (5, 1.5, 1, 1)),
    (1035, "KEY_007", 27, ("^", "6"), (6, 1.5, 1, 1)),
    (1036, "KEY_008", 28, ("&", "7"), (7, 1.5, 1, 1)),
    (1037, "KEY_009", 29, ("*", "8"), (8, 1.5, 1, 1)),
    (1038, "KEY_00A", 30, ("(", "9"), (9, 1.5, 1, 1)),
    (1039, "KEY_00B", 31, (")", "0"), (10, 1.5, 1, 1)),
    (1040, "KEY_00C", 32, ("_", "-"), (11, 1.5, 1, 1)),
    (1041, "KEY_00D", 33, ("+", "="), (12, 1.5, 1, 1)),
    (1043, "KEY_00E", 34, ("Backspace",), (13, 1.5, 2, 1)),
    (1094, "KEY_0D2", 35, ("Insert",), (15.25, 1.5, 1, 1)),
    (1095, "KEY_0C7", 36, ("Home",), (16.25, 1.5, 1, 1)),
    (1096, "KEY_0C9", 37, ("PgUp",), (17.25, 1.5, 1, 1)),
    (1104, "KEY_0C5", 38, ("Num",), (18.5, 1.5, 1, 1)),
    (1105, "KEY_0B5", 39, ("/",), (19.5, 1.5, 1, 1)),
    (1106, "KEY_037", 40, ("*",), (20.5, 1.5, 1, 1)),
    (1107, "KEY_04A", 41, ("\u2212",), (21.5, 1.5, 1, 1)),
    # top letter row
    (1056, "KEY_00F", 42, ("Tab",), (0, 2.5, 1.5, 1)),
    (1044, "KEY_010", 43, ("Q",), (1.5, 2.5, 1, 1)),
    (1045, "KEY_011", 44, ("W",), (2.5, 2.5, 1, 1)),
    (1046, "KEY_012", 45, ("E",), (3.5, 2.5, 1, 1)),
    (1047, "KEY_013", 46, ("R",), (4.5, 2.5, 1, 1)),
    (1048, "KEY_014", 47, ("T",), (5.5, 2.5, 1, 1)),
    (1049, "KEY_015", 48, ("Y",), (6.5, 2.5, 1, 1)),
    (1050, "KEY_016", 49, ("U",), (7.5, 2.5, 1, 1)),
    (1051, "KEY_017", 50, ("I",), (8.5, 2.5, 1, 1)),
    (1052, "KEY_018", 51, ("O",), (9.5, 2.5, 1, 1)),
    (1053, "KEY_019", 52, ("P",), (10.5, 2.5, 1, 1)),
    (1054, "KEY_01A", 53, ("{", "["), (11.5, 2.5, 1, 1)),
    (1055, "KEY_01B", 54, ("}", "]"), (12.5, 2.5, 1, 1)),
    (1042, "KEY_02B", 55, ("|", "\\"), (13.5, 2.5, 1.5, 1)),
    (1097, "KEY_0D3", 56, ("Delete",), (15.25, 2.5, 1, 1)),
    (1098, "KEY_0CF", 57, ("End",), (16.25, 2.5, 1, 1)),
    (1099, "KEY_0D1", 58, ("PgDn",), (17.25, 2.5, 1, 1)),
    (1108, "KEY_047", 59, ("7", "Home"), (18.5, 2.5, 1, 1)),
    (1109, "KEY_048", 60, ("8", "\u2191"), (19.5, 2.5, 1, 1)),
    (1110, "KEY_049", 61, ("9", "PgUp"), (20.5, 2.5, 1, 1)),
    (1111, "KEY_04E", 62, ("+",), (21.5, 2.5, 1, 2)),
    # home row
    (1069, "KEY_03A", 63, ("Caps Lock",), (0, 3.5, 1.75, 1)),
    (1058, "KEY_01E", 64, ("A",), (1.75, 3.5, 1, 1)),
    (1059, "KEY_01F", 65, ("S",), (2.75, 3.5, 1, 1)),
    (1060, "KEY_020", 66, ("D",), (3.75, 3.5, 1, 1)),
    (1061, "KEY_021", 67, ("F",), (4.75, 3.5, 1, 1)),
    (1062, "KEY_022", 68, ("G",), (5.75, 3.5, 1, 1)),
    (1063, "KEY_023", 69, ("H",), (6.75, 3.5, 1, 1)),
    (1064, "KEY_024", 70, ("J",), (7.75, 3.5, 1, 1)),
    (1065, "KEY_025", 71, ("K",), (8.75, 3.5, 1, 1)),
    (1066, "KEY_026", 72, ("L",), (9.75, 3.5, 1, 1)),
    (1067, "KEY_027", 73, (":", ";"), (10.75, 3.5, 1, 1)),
    (1068, "KEY_028", 74, ("\"", "'"), (11.75, 3.5, 1, 1)),
    (1070, "KEY_01C", 76, ("Enter",), (12.75, 3.5, 2.25, 1)),
    (1112, "KEY_04B", 80, ("4", "\u2190"), (18.5, 3.5, 1, 1)),
    (1113, "KEY_04C", 81, ("5",), (19.5, 3.5, 1, 1)),
    (1114, "KEY_04D", 82, ("6", "\u2192"), (20.5, 3.5, 1, 1)),
    # bottom letter row
    (1082, "KEY_02A", 84, ("Shift",), (0, 4.5, 2.25, 1)),
    (1071, "KEY_02C", 86, ("Z",), (2.25, 4.5, 1, 1)),
    (1072, "KEY_02D", 87, ("X",), (3.25, 4.5, 1, 1)),
    (1073, "KEY_02E", 88, ("C",), (4.25, 4.5, 1, 1)),
    (1074, "KEY_02F", 89, ("V",), (5.25, 4.5, 1, 1)),
    (1075, "KEY_030", 90, ("B",), (6.25, 4.5, 1, 1)),
    (1076, "KEY_031", 91, ("N",), (7.25, 4.5, 1, 1)),
    (1077, "KEY_032", 92, ("M",), (8.25, 4.5, 1, 1)),
    (1078, "KEY_033", 93, ("<", ","), (9.25, 4.5, 1, 1)),
    (1079, "KEY_034", 94, (">", "."), (10.25, 4.5, 1, 1)),
    (1080, "KEY_035", 95, ("?", "/"), (11.25, 4.5, 1, 1)),
    (1081, "KEY_036", 97, ("Shift",), (12.25, 4.5, 2.75, 1)),
    (1103, "KEY_0C8", 99, ("\u2191",), (16.25, 4.5, 1, 1)),
    (1115, "KEY_04F", 101, ("1", "End"), (18.5, 4.5, 1, 1)),
    (1116, "KEY_050", 102, ("2", "\u2193"), (19.5, 4.5, 1, 1)),
    (1117, "KEY_051", 103, ("3", "PgDn"), (20.5, 4.5, 1, 1)),
    (1118, "KEY_09C", 104, ("Enter",), (21.5, 4.5, 1, 2)),
    # space row (the light positions run Ctrl, Win, Alt, Space, Alt, Fn, Menu, Win, Ctrl)
    (1083, "KEY_01D", 105, ("Ctrl",), (0, 5.5, 1.25, 1)),
    (1084, "KEY_0DB", 106, ("@win",), (1.25, 5.5, 1.25, 1)),
    (1085, "KEY_038", 107, ("Alt",), (2.5, 5.5, 1.25, 1)),
    (1090, "KEY_039", 108, ("",), (3.75, 5.5, 6.25, 1)),
    (1086, "KEY_0B8", 109, ("Alt",), (10, 5.5, 1, 1)),
    (1088, "KEY_0DD", 111, ("@menu",), (12, 5.5, 1, 1)),
    (1087, "KEY_0DC", 112, ("@win",), (13, 5.5, 1, 1)),
    (1089, "KEY_09D", 113, ("Ctrl",), (14, 5.5, 1, 1)),
    (1100, "KEY_0CB", 119, ("\u2190",), (15.25, 5.5, 1, 1)),
    (1101, "KEY_0D0", 120, ("\u2193",), (16.25, 5.5, 1, 1)),
    (1102, "KEY_0CD", 121, ("\u2192",), (17.25, 5.5, 1, 1)),
    (1120, "KEY_052", 123, ("0", "Ins"), (18.5, 5.5, 2, 1)),
    (1119, "KEY_053", 124, (".", "Del"), (20.5, 5.5, 1, 1)),
]

FN_KEY = ("KEY_FN", 1174, 110, ("Fn",), (11, 5.5, 1, 1))
FN_POSITION = 110
G_KEY_POSITION = 125
G_KEY_CONTROLS = [1000, 1001, 1002, 1003, 1004, 1140, 1141, 1142, 1143]

# The flipped layout: D1..D6 (controls 1016..1021) take the place of F1..F4;
# the main window shows the one set or the other, never both.
FLIP_F_KEYS = ("KEY_03B", "KEY_03C", "KEY_03D", "KEY_03E")
D_KEY_CONTROLS = [1016, 1017, 1018, 1019, 1020, 1021]
# Pixels a flip sheet holds beyond the right and bottom edges of the D keys.
FLIP_SHEET_MARGIN = 4
# Flip sheet -> the main sheet it is drawn over.
FLIP_SHEET_BASE = {SHEET_SETS["Main"]["flip"][letter]: SHEET_SETS["Main"]["main"][letter]
                   for letter in SHEET_SETS["Main"]["flip"]}

# The four lock indicators sit above the numeric pad, one key unit each.
LOCKS = [("LOCK_CAPS", 1125, "CAPS"), ("LOCK_NUM", 1126, "NUM"), ("LOCK_SCROLL", 1127, "SCRL"),
         ("LOCK_AB", 1128, "BANK")]


def key_rect(col, row, w_units, h_units):
    """The rectangle of a key of the main block at (col, row) in units."""
    x0 = round(MAIN_BLOCK_X + col * UNIT)
    x1 = round(MAIN_BLOCK_X + (col + w_units) * UNIT)
    y0 = round(KB_ORIGIN[1] + row * UNIT)
    y1 = round(KB_ORIGIN[1] + (row + h_units) * UNIT)
    half = KEY_GAP // 2
    return (x0 + half, y0 + half, x1 - x0 - KEY_GAP, y1 - y0 - KEY_GAP)


def g_key_rect(index):
    """G1..G9 in one column left of the main block, as tall as its six rows."""
    pitch = 6.5 * UNIT / 9
    x0 = KB_ORIGIN[0]
    x1 = round(KB_ORIGIN[0] + 1.25 * UNIT)
    y0 = round(KB_ORIGIN[1] + index * pitch)
    y1 = round(KB_ORIGIN[1] + (index + 1) * pitch)
    half = KEY_GAP // 2
    return (x0 + half, y0 + half, x1 - x0 - KEY_GAP, y1 - y0 - KEY_GAP)


def _panel_key_rect(skin_key):
    for _, key, _, _, place in PANEL_KEYS:
        if key == skin_key:
            return key_rect(*place)
    raise KeyError(skin_key)


def f_block():
    """The block F1..F4 take in the function row: (left, top, right, bottom),
    right and bottom exclusive."""
    first = _panel_key_rect(FLIP_F_KEYS[0])
    last = _panel_key_rect(FLIP_F_KEYS[-1])
    return (first[0], first[1], last[0] + last[2], first[1] + first[3])


def d_key_rects():
    """D1..D6 over the block of F1..F4, as tall as F1: six caps of equal width
    with the row's gap between them, the spare pixels split at both ends.
    Each rectangle takes half of the gap on either side, so that the six
    buttons tile the block and the window's background (which shows F1..F4)
    never shows between them; their faces are drawn inset by that half gap,
    which gives the caps the same places as keys with the gap between their
    rectangles."""
    left, top, right, bottom = f_block()
    count = len(D_KEY_CONTROLS)
    width = (right - left - (count - 1) * KEY_GAP) // count
    x = left + (right - left - count * width - (count - 1) * KEY_GAP) // 2
    half = KEY_GAP // 2
    return [(x + i * (width + KEY_GAP) - half, top, width + KEY_GAP, bottom - top) for i in range(count)]


def flip_sheet_size():
    """The size of a flip sheet: from (0, 0) past every D key's face piece."""
    rects = d_key_rects()
    return (max(x + w for x, _, w, _ in rects) + FLIP_SHEET_MARGIN,
            max(y + h for _, y, _, h in rects) + FLIP_SHEET_MARGIN)


class Control:
    """One key of a window's BUTTONINFO section.

    kind: "image" (image button), "plain" (moved and sized), "position"
    (moved only), "arrow" (image button cut from Arrow.jpg).
    face: how the face is drawn in the sheets (image buttons only).
    sheets: [(set name, five picks)], every set the window skins it with.
    closed_h: for drop-down lists, the height of the closed box (the rectangle
    is the box with its list).
    shown: when the control can be on screen, for the overlap check: "always",
    "never", or a tuple of scene names.
    layout: None when the control shows in both keyboard layouts, else the
    one (0 or 1 flipped) it shows in.
    """

    def __init__(self, key, control, rect, kind, face=None, sheets=(), shown="always", closed_h=None, layout=None,
                 **style):
        self.key = key
        self.control = control
        self.rect = rect
        self.kind = kind
        self.face = face
        self.sheets = list(sheets)
        self.shown = shown
        self.closed_h = closed_h
        self.layout = layout
        self.style = style

    def screen_rect(self):
        x, y, w, h = self.rect
        return (x, y, w, self.closed_h or h)


def _image(key, control, rect, face, picks, set_name="main", **style):
    return Control(key, control, rect, "image", face, [(set_name, picks)], **style)


# Lighting-panel scenes: the lamp off, or one of the effects with the lamp on.
EFFECTS = list(range(1, 19)) + [20]
LAMP_OFF = "off"


def _effects(*groups):
    out = []
    for g in groups:
        out.extend(g if isinstance(g, (list, tuple, range)) else [g])
    return tuple("fx%d" % e for e in out)


ALL_FX = _effects(EFFECTS)
SPEED_FX = _effects(range(2, 16))
DIRECTION_FX = _effects(3, 5, 6, 12, 18)
DIRECTION_LABEL_FX = _effects(3, 5, 6)
FY_COLOUR_FX = _effects(1, 16)
FY_MULTI_FX = _effects(16)
HX_COLOUR_FX = _effects(2, 3, range(5, 11), range(13, 16))
HX_MULTI_FX = _effects(3, range(5, 11), range(13, 16))
FOUR_COLOUR_FX = _effects(17)
USER_FX = _effects(20)
ALWAYS_PANEL = ALL_FX + (LAMP_OFF,)

# Lighting panel rows.
PANEL_LABEL_X, PANEL_LABEL_W = 20, 86
PANEL_CTRL_X = 108
ROW_EFFECT, ROW_LIGHT, ROW_SPEED, ROW_DIR, ROW_COLOUR, ROW_TOOL = 250, 282, 312, 342, 372, 402

DIRECTION_PICTURE = (44, 26)
MULTI_MARK = (24, 24)
FOUR_COLOUR_PICTURE = (44, 26)
TOOL_PICTURE = (44, 30)
COLOUR_BUTTON = (90, 26)
SLIDER = (200, 24)


def _label(key, control, row, shown, x=PANEL_LABEL_X, w=PANEL_LABEL_W):
    return Control(key, control, (x, row + 3, w, 18), "plain", shown=shown)


def _main_controls():
    c = []
    add = c.append
    # Header strip.
    add(_image("TARVO_LINK", 1121, (18, 14, 132, 32), "logo", "noxnn"))
    add(_image("FUNC_PROFILES", 1005, (206, 10, 196, 40), "plate", "nodnn"))
    add(_image("FUNC_MACRO", 1007, (820, 396, 104, 32), "button", "nodnn"))
    add(_image("CONTROL_OK", 1, (948, 396, 104, 32), "button", "nodnn", primary=True))
    add(_image("CONTROL_CANCEL", 2, (1060, 396, 104, 32), "button", "nodnn"))
    add(_image("CONTROL_HELP", 1122, (1186, 16, 28, 28), "icon", "nodnn", symbol="help"))
    add(_image("CONTROL_CLOSE", 1124, (1254, 16, 28, 28), "icon", "nodnn", symbol="close", danger=True))
    add(_image("CONTROL_MINIMIZE", 1123, (1220, 16, 28, 28), "icon", "nodnn", symbol="minimise"))
    add(_image("CONTROL_MENU", 1139, (1152, 16, 28, 28), "icon", "nodnn", symbol="menu"))
    add(_image("CONTROL2_APPLY", 1006, (1172, 396, 104, 32), "button", "nodxn"))
    # Lock indicators above the numeric pad.
    for i, (key, control, text) in enumerate(LOCKS):
        x, y, w, h = key_rect(18.5 + i, 0, 1, 1)
        add(_image(key, control, (x, y, w, h), "led", "nnnno", text=text))
    # The flipped-layout switch on the bottom deck: arrow, button, indicator, button, arrow.
    add(_image("FLIP_0", 1129, (396, 396, 76, 32), "flip", "nnnnx"))
    add(_image("FLIP_1", 1130, (360, 396, 32, 32), "icon", "nodnx", symbol="left"))
    add(_image("FLIP_2", 1131, (476, 396, 32, 32), "icon", "nodnx", symbol="right"))
    add(_image("TARVO_VER", 1134, (154, 24, 44, 16), "none", "nnnnn"))
    for i in range(3):
        add(_image("FUNC_PROFILE%d" % (i + 1), 1135 + i, (414 + 92 * i, 16, 86, 28), "button", "nodnx"))
    add(_image("FUNC_DEFAULT", 1138, (696, 16, 86, 28), "button", "nodnx"))
    # Laid out but never shown: nothing is drawn for it.
    add(_image("FUNC_SWITCH", 1144, (760, 396, 40, 32), "none", "nodnx", shown="never"))
    for i, rate in enumerate(("125", "250", "500", "1000")):
        add(_image("FUNC_REPORT%d" % (i + 1), (1147, 1168, 1169, 1170)[i], (886 + 60 * i, 16, 56, 28), "text",
                   "nodnx", text=rate + " Hz"))
    key, control, position, legend, place = FN_KEY
    add(_image(key, control, key_rect(*place), "key", "nodnx", legend=legend, light=position))
    for i, control in enumerate(G_KEY_CONTROLS):
        add(_image("FUNC_G%d" % (i + 1), control, g_key_rect(i), "gkey", "nodnx", legend=("G%d" % (i + 1),),
                   light=G_KEY_POSITION))
    for control, key, position, legend, place in PANEL_KEYS:
        add(_image(key, control, key_rect(*place), "key", "nodnx", legend=legend, light=position,
                   layout=0 if key in FLIP_F_KEYS else None))
    # D1..D6 of the flipped layout: no light position of their own.
    for i, (control, rect) in enumerate(zip(D_KEY_CONTROLS, d_key_rects())):
        add(_image("FUNC_D%d" % (i + 1), control, rect, "dkey", "nodnx", set_name="flip",
                   legend=("D%d" % (i + 1),), inset=KEY_GAP // 2, layout=1))
    add(Control("LEFT_ARROW", 1132, (340, 400, ARROW_SIZE[0], ARROW_SIZE[1]), "arrow"))
    add(Control("RIGHT_ARROW", 1133, (512, 400, ARROW_SIZE[0], ARROW_SIZE[1]), "arrow"))

    # Lighting panel: plain controls.
    add(Control("CONTROL_UsbStatic", 1204, (800, 21, 84, 18), "plain"))
    add(Control("CONTROL_DengStatic", 1171, (214, 78, 96, 18), "plain", shown=ALWAYS_PANEL))
    add(Control("CONTROL_DengStaPic", 1167, (214, 98, 94, 30), "plain", shown=ALWAYS_PANEL))
    add(Control("CONTROL_XGcombox", 1146, (20, ROW_EFFECT, 288, 200), "plain", shown=ALL_FX, closed_h=24))
    add(Control("CONTROL_JDTStatic", 1177, (560, 406, 180, 12), "plain"))
    add(_label("CONTROL_LightStatic", 1172, ROW_LIGHT, ALL_FX))
    add(Control("CONTROL_LightSlider", 1178, (PANEL_CTRL_X, ROW_LIGHT, SLIDER[0], SLIDER[1]), "plain",
                shown=ALL_FX))
    add(_label("CONTROL_SpeedStatic", 1166, ROW_SPEED, SPEED_FX))
    add(Control("CONTROL_SpeedSlider", 1179, (PANEL_CTRL_X, ROW_SPEED, SLIDER[0], SLIDER[1]), "plain",
                shown=SPEED_FX))
    for key, control, (x, y, w, h), shown in _direction_layout(""):
        add(Control(key, control, (x, y, w, h), "plain", shown=shown))
    cw, ch = COLOUR_BUTTON
    mw, mh = MULTI_MARK
    add(_label("CONTROL_FYYSStatic", 1151, ROW_COLOUR, FY_COLOUR_FX))
    add(Control("CONTROL_FYYSButton", 1152, (PANEL_CTRL_X, ROW_COLOUR, cw, ch), "plain", shown=FY_COLOUR_FX))
    add(Control("CONTROL_FYSJSStaPic", 1175, (206, ROW_COLOUR + 1, mw, mh), "plain", shown=FY_MULTI_FX))
    add(Control("CONTROL_FYSJSStatic", 1176, (234, ROW_COLOUR + 3, 74, 18), "plain", shown=FY_MULTI_FX))
    # Stone, ribbon and trigger-style controls: laid out, never shown.
    add(_label("CONTROL_FYCFStatic", 1182, ROW_TOOL, "never"))
    add(_label("CONTROL_FYdjcfStatic", 1181, ROW_TOOL, "never", x=PANEL_CTRL_X, w=60))
    add(_label("CONTROL_FYggcfStatc", 1184, ROW_TOOL, "never", x=206, w=60))
    add(Control("CONTROL_FYdjcfStaPic", 1183, (170, ROW_TOOL + 1, mw, mh), "plain", shown="never"))
    add(Control("CONTROL_FYggcfStaPic", 1180, (270, ROW_TOOL + 1, mw, mh), "plain", shown="never"))
    fw, fh = FOUR_COLOUR_PICTURE
    for i, (key, control) in enumerate((("CONTROL_HONGPIC", 1194), ("CONTROL_HUANGPIC", 1195),
                                        ("CONTROL_LVPIC", 1196), ("CONTROL_LANPIC", 1197))):
        add(Control(key, control, (PANEL_CTRL_X + 50 * i, ROW_SPEED, fw, fh), "plain", shown=FOUR_COLOUR_FX))
    add(_label("CONTROL_HXysStatic", 1154, ROW_COLOUR, HX_COLOUR_FX))
    add(Control("CONTROL_HXysButton", 1155, (PANEL_CTRL_X, ROW_COLOUR, cw, ch), "plain", shown=HX_COLOUR_FX))
    add(_label("CONTROL_HXsjsStatic", 1173, ROW_COLOUR, HX_MULTI_FX, x=234, w=74))
    add(Control("CONTROL_HXsjsStaPic", 1156, (206, ROW_COLOUR + 1, mw, mh), "plain", shown=HX_MULTI_FX))
    add(_label("CONTROL_JTysStatic", 1157, ROW_TOOL, "never"))
    add(Control("CONTROL_JTysButton", 1158, (PANEL_CTRL_X, ROW_TOOL, cw, ch), "plain", shown="never"))
    add(_label("CONTROL_USERysStatic", 1159, ROW_DIR, USER_FX))
    add(Control("CONTROL_USERysButton", 1160, (PANEL_CTRL_X, ROW_DIR, cw, ch), "plain", shown=USER_FX))
    add(_label("CONTROL_USERjsStatic", 1161, ROW_COLOUR, USER_FX))
    add(Control("CONTROL_USERjsButton", 1162, (PANEL_CTRL_X, ROW_COLOUR, cw, ch), "plain", shown=USER_FX))
    add(_label("CONTROL_USERgjStatic", 1163, ROW_TOOL + 4, USER_FX))
    tw, th = TOOL_PICTURE
    add(Control("CONTROL_USERgjStaPic1", 1164, (PANEL_CTRL_X, ROW_TOOL, tw, th), "plain", shown=USER_FX))
    add(Control("CONTROL_USERgjStaPic2", 1165, (PANEL_CTRL_X + 50, ROW_TOOL, tw, th), "plain", shown=USER_FX))
    add(_label("CONTROL_TSysStatic", 1186, ROW_TOOL, "never"))
    add(Control("CONTROL_TSysButton", 1187, (PANEL_CTRL_X, ROW_TOOL, cw, ch), "plain", shown="never"))
    add(_label("CONTROL_TSsjsStatic", 1189, ROW_TOOL, "never", x=234, w=74))
    add(Control("CONTROL_TSsjsStaPic", 1188, (206, ROW_TOOL + 1, mw, mh), "plain", shown="never"))
    add(_label("CONTROL_CDysStatic", 1190, ROW_TOOL, "never"))
    add(Control("CONTROL_CDysButton", 1191, (PANEL_CTRL_X, ROW_TOOL, cw, ch), "plain", shown="never"))
    add(_label("CONTROL_CDsjsStatic", 1193, ROW_TOOL, "never", x=234, w=74))
    add(Control("CONTROL_CDsjsStaPic", 1192, (206, ROW_TOOL + 1, mw, mh), "plain", shown="never"))
    # The user mode list takes the speed row: effect 20 has no speed.
    add(Control("CONTROL_umCombo", 1198, (20, ROW_SPEED, 288, 138), "plain", shown=USER_FX, closed_h=24))
    # Colour number fields and presets: shown with the lamp on or off.
    for i, (label, edit) in enumerate((("m_rgbr_static", "m_edit_rgbr"), ("m_rgbg_static", "m_edit_rgbg"),
                                       ("m_rgbb_static", "m_edit_rgbb"))):
        y = 138 + 26 * i
        add(Control(label, (1210, 1211, 1212)[i], (214, y + 2, 20, 20), "plain", shown=ALWAYS_PANEL))
        add(Control(edit, (1223, 1225, 1226)[i], (236, y, 72, 22), "plain", shown=ALWAYS_PANEL))
    for i in range(8):
        add(Control("m_btn_rgb%d" % (i + 1), 1213 + i, (20 + 36 * i, 222, 30, 22), "plain", shown=ALWAYS_PANEL))
    # The direction controls' other layouts: moved only.
    for suffix in ("2", "3"):
        for key, control, (x, y, w, h), shown in _direction_layout(suffix):
            add(Control(key + suffix, control, (x, y, w, h), "position", shown=shown))
    return c


def _direction_layout(suffix):
    """The five direction controls: with their labels for effects 3, 5 and 6
    (keys ending in 2); the two pictures side by side for effect 12 (keys
    ending in 3) and for effect 18 (the plain keys). The labels are not shown
    with the last two layouts and keep the places of the first."""
    dw, dh = DIRECTION_PICTURE
    y = ROW_DIR
    second = PANEL_CTRL_X + (100 if suffix == "2" else 52)
    return [
        ("CONTROL_BLFXStatic", 1148, (PANEL_LABEL_X, y + 3, PANEL_LABEL_W, 18), DIRECTION_FX),
        ("CONTROL_BLFXLStaPic", 1149, (PANEL_CTRL_X, y, dw, dh), DIRECTION_FX),
        ("CONTROL_BLFXLStatic", 1224, (PANEL_CTRL_X + dw + 4, y + 4, 48, 18), DIRECTION_LABEL_FX),
        ("CONTROL_BLFXRStaPic", 1150, (second, y, dw, dh), DIRECTION_FX),
        ("CONTROL_BLFXRStatic", 1227, (PANEL_CTRL_X + 100 + dw + 4, y + 4, 52, 18), DIRECTION_LABEL_FX),
    ]


ARROW_SIZE = (16, 24)

# Arrow.jpg: one cell per picture, four across (left 1, left 2, right 1,
# right 2) and two down (the down arrows for the normal layout, the up arrows
# for the flipped one). A source point is the cell's corner plus one.
ARROW_CELLS = {
    "DOWN_ARROW_LEFT1": (0, 0), "DOWN_ARROW_LEFT2": (1, 0), "DOWN_ARROW_RIGHT1": (2, 0),
    "DOWN_ARROW_RIGHT2": (3, 0), "UP_ARROW_LEFT1": (0, 1), "UP_ARROW_LEFT2": (1, 1),
    "UP_ARROW_RIGHT1": (2, 1), "UP_ARROW_RIGHT2": (3, 1),
}
ARROW_SHEET_SIZE = (4 * ARROW_SIZE[0], 2 * ARROW_SIZE[1])
ARROW_KEY_ORDER = ["UP_ARROW_LEFT1", "UP_ARROW_LEFT2", "DOWN_ARROW_LEFT1", "DOWN_ARROW_LEFT2",
                   "UP_ARROW_RIGHT1", "UP_ARROW_RIGHT2", "DOWN_ARROW_RIGHT1", "DOWN_ARROW_RIGHT2"]


def arrow_source(key):
    cx, cy = ARROW_CELLS[key]
    return (cx * ARROW_SIZE[0] + 1, cy * ARROW_SIZE[1] + 1, ARROW_SIZE[0], ARROW_SIZE[1])


COLOUR_SHEET_SIZE = (220, 150)          # main_color0.jpg and main_color1.jpg

# ---- Composite (key editor) ----------------------------------------------------

COMP_W, COMP_H = WINDOWS["Composite"]
COMP_HEADER_H = 52
PAGE_RECT = (16, 104, 568, 262)         # the page picture
PAGE_FAMILIES = {"key": "key", "macro": "macro", "macro2": "macro", "media": "media", "function": "function"}
# Where each page's own emblem sits on the page picture (kept clear of controls).
PAGE_EMBLEM = (34, 296, 200, 60)

PAGES = ("page_key", "page_macro", "page_media", "page_function")


def _composite_controls():
    c = []
    add = c.append
    key_set = ("key", "nodnd")
    macro_set = ("macro", "nodxd")
    macro2_set = ("macro2", "nodxd")
    page_sets = [("key", "nodnn"), ("macro", "nodxn"), ("media", "nodnn"), ("function", "nodnn")]
    add(Control("CONTROL_MASK", 1033, PAGE_RECT, "image", "page", [key_set] + page_sets, container=True))
    add(Control("CONTROL_TITLE", 1131, (16, 10, 150, 32), "image", "title", [key_set, macro2_set]))
    add(Control("CONTROL_OSK", 1132, (518, 12, 30, 28), "image", "icon", [key_set], symbol="osk"))
    add(Control("CONTROL_CLEAR", 1032, (554, 12, 30, 28), "image", "icon", [key_set, macro2_set], symbol="clear"))
    tabs = (("CONTROL_KEY", 1028), ("CONTROL_MACRO", 1029), ("CONTROL_MEDIA", 1030), ("CONTROL_FUNCTION", 1031))
    for i, (key, control) in enumerate(tabs):
        sets = [key_set] if key == "CONTROL_MACRO" else [key_set, macro2_set]
        add(Control(key, control, (16 + 142 * i, 62, 142 - 4 if i < 3 else 142, 32), "image", "tab", sets))
    add(Control("CONTROL_OK", 1, (360, 378, 108, 32), "image", "button", [key_set], primary=True))
    add(Control("CONTROL_CANCEL", 2, (476, 378, 108, 32), "image", "button", [key_set]))
    macro = ("page_macro",)
    add(Control("FUNC_MACRO_ADD", 1017, (216, 138, 26, 24), "image", "icon", [macro_set], shown=macro,
                symbol="plus", small=True))
    add(Control("FUNC_MACRO_DELETE", 1018, (246, 138, 26, 24), "image", "icon", [macro_set], shown=macro,
                symbol="minus", small=True))
    for i, (key, control) in enumerate((("FUNC_MACRO_UP_TOP", 1023), ("FUNC_MACRO_UP", 1024),
                                        ("FUNC_MACRO_DOWN", 1025), ("FUNC_MACRO_DOWN_BOTTOM", 1026))):
        add(Control(key, control, (510, 114 + 34 * i, 66, 28), "image", "button", [macro_set], shown=macro))
    add(Control("FUNC_MACRO_DELETE2", 1021, (510, 262, 66, 28), "image", "button", [macro_set], shown=macro))
    add(Control("FUNC_MACRO_CLEAR", 1022, (510, 296, 66, 28), "image", "button", [macro_set], shown=macro))
    add(Control("FUNC_MACRO_RECORD", 1020, (30, 250, 150, 30), "image", "button", [macro_set], shown=macro,
                record=True))
    add(Control("FUNC_MACRO_LIST", 1126, (30, 138, 180, 200), "plain", shown=macro, closed_h=24))
    add(Control("FUNC_MACRO_LIST2", 1019, (284, 114, 220, 240), "plain", shown=macro))
    single = ("page_key",)
    media = ("page_media",)
    function = ("page_function",)
    add(Control("FUNC_KEY_INPUT", 1127, (40, 160, 520, 40), "plain", shown=single))
    add(Control("FUNC_MEDIA_SELECT", 1128, (40, 160, 520, 190), "plain", shown=media, closed_h=26))
    add(Control("FUNC_FUNCTION_SELECT", 1129, (40, 160, 520, 190), "plain", shown=function, closed_h=26))
    add(Control("FUNC_MACRO_CYCLES", 1125, (124, 176, 60, 24), "plain", shown=macro))
    add(Control("FUNC_MACRO_CYCLES_PROMPT", 1130, (30, 180, 90, 18), "plain", shown=macro))
    add(Control("FUNC_MACRO_RECORD_DELAY", 1027, (30, 216, 16, 16), "plain", shown=macro))
    add(Control("FUNC_MACRO_RECORD_DELAY2", 1133, (50, 215, 200, 18), "plain", shown=macro))
    add(Control("KEY_SETTING", 1199, (180, 19, 320, 18), "plain"))
    add(Control("MARCO_NAME_SETTING", 1200, (30, 116, 240, 18), "plain", shown=macro))
    add(Control("TISHI_SINGLE_STATIC", 1201, (40, 134, 520, 18), "plain", shown=single))
    add(Control("MEDIA_SETTING_TISHI", 1202, (40, 134, 520, 18), "plain", shown=media))
    add(Control("FUNCTION_KEY_SETTING_TISHI", 1203, (40, 134, 520, 18), "plain", shown=function))
    return c


# ---- Profile manager -----------------------------------------------------------

PROF_W, PROF_H = WINDOWS["Profile"]
DIALOG_HEADER_H = 48


def _profile_controls():
    s = ("profile", "noddn")
    return [
        Control("CONTROL_OK", 1, (148, 298, 100, 28), "image", "button", [s], primary=True),
        Control("CONTROL_CANCEL", 2, (254, 298, 100, 28), "image", "button", [s]),
        Control("FUNC_ADD", 1010, (20, 264, 100, 28), "image", "button", [s]),
        Control("FUNC_LOAD", 1008, (126, 264, 100, 28), "image", "button", [s]),
        Control("FUNC_DELETE", 1011, (232, 264, 100, 28), "image", "button", [s]),
        Control("CONTROL2_APPLY", 1012, (360, 298, 100, 28), "image", "button", [s]),
        Control("PROGRAM_LIST", 1007, (20, 58, 440, 196), "plain"),
    ]


# ---- Firmware update dialog ----------------------------------------------------

UPD_W, UPD_H = WINDOWS["UpdateDlg"]


def _update_controls():
    s = ("update", "noooo")
    return [
        Control("CONTROL_UPStatic", 1179, (24, 62, 412, 34), "plain"),
        Control("CONTROL_UPCombox", 1178, (24, 104, 412, 96), "plain", closed_h=24),
        Control("CONTROL_CUPButton", 1180, (340, 170, 96, 30), "image", "button", [s]),
        Control("CONTROL_UPButton", 1147, (236, 170, 96, 30), "image", "button", [s], primary=True),
        Control("CONTROL_OPENButton", 1181, (24, 170, 96, 30), "image", "button", [s]),
        Control("CONTROL_BACKUPButton", 1182, (128, 170, 96, 30), "image", "button", [s]),
    ]


CONTROLS = {
    "Main": _main_controls(),
    "Composite": _composite_controls(),
    "Profile": _profile_controls(),
    "UpdateDlg": _update_controls(),
}


def control(window, key):
    for c in CONTROLS[window]:
        if c.key == key:
            return c
    raise KeyError(key)


# ---- Lighting panel pictures ---------------------------------------------------

# Picture file -> (the skin key of the control that shows it, what it shows).
PICTURES = {}


def _picture(name, key, *what):
    PICTURES[name] = (key, what)


_picture("dengdown.bmp", "CONTROL_DengStaPic", "lamp", True)
_picture("dengup.bmp", "CONTROL_DengStaPic", "lamp", False)
for _p in range(5):
    _picture("%d.bmp" % _p, "CONTROL_LightSlider", "slider", "light", _p)
    _picture("%d.bmp" % (6 + _p), "CONTROL_SpeedSlider", "slider", "speed", _p)
# Loaded with the others but shown by no control: an empty track of each
# slider and the sliders' pictures in a dimmed style.
_picture("5.bmp", "CONTROL_LightSlider", "slider", "light", None)
_picture("11.bmp", "CONTROL_SpeedSlider", "slider", "speed", None)
for _i in range(12, 26):
    _picture("%d.bmp" % _i, "CONTROL_LightSlider", "slider", "dim", (_i - 12) % 5)
for _name, _key, _glyph in (("left", "CONTROL_BLFXLStaPic", "left"), ("right", "CONTROL_BLFXRStaPic", "right"),
                            ("up", "CONTROL_BLFXLStaPic", "up"), ("down", "CONTROL_BLFXRStaPic", "down")):
    _picture(_name + "down.bmp", _key, "direction", _glyph, True)
    _picture(_name + "up.bmp", _key, "direction", _glyph, False)
_picture("kuosandown.bmp", "CONTROL_BLFXLStaPic", "direction", "spread", True)
_picture("kuosan.bmp", "CONTROL_BLFXLStaPic", "direction", "spread", False)
_picture("julongdown.bmp", "CONTROL_BLFXRStaPic", "direction", "gather", True)
_picture("julong.bmp", "CONTROL_BLFXRStaPic", "direction", "gather", False)
_picture("sjsdown.bmp", "CONTROL_HXsjsStaPic", "multi", True)
_picture("sjsup.bmp", "CONTROL_HXsjsStaPic", "multi", False)
FOUR_COLOURS = {"hong": (236, 38, 38), "huang": (250, 206, 0), "lv": (40, 214, 72), "lan": (36, 112, 255)}
for _name, _key in (("hong", "CONTROL_HONGPIC"), ("huang", "CONTROL_HUANGPIC"), ("lv", "CONTROL_LVPIC"),
                    ("lan", "CONTROL_LANPIC")):
    _picture(_name + "ok.bmp", _key, "four", FOUR_COLOURS[_name], True)
    _picture(_name + ".bmp", _key, "four", FOUR_COLOURS[_name], False)
_picture("user1down.bmp", "CONTROL_USERgjStaPic1", "tool", "brush", True)
_picture("user1up.bmp", "CONTROL_USERgjStaPic1", "tool", "brush", False)
_picture("user2down.bmp", "CONTROL_USERgjStaPic2", "tool", "bucket", True)
_picture("user2up.bmp", "CONTROL_USERgjStaPic2", "tool", "bucket", False)
for _i in range(10):
    _picture("jdt%d.bmp" % (_i + 1), "CONTROL_JDTStatic", "busy", _i)

# Controls that show the same pictures must be the same size.
SAME_SIZE = [
    ("CONTROL_HXsjsStaPic", "CONTROL_FYSJSStaPic"),
    ("CONTROL_BLFXLStaPic", "CONTROL_BLFXRStaPic"),
    ("CONTROL_LightSlider", "CONTROL_SpeedSlider"),
    ("CONTROL_USERgjStaPic1", "CONTROL_USERgjStaPic2"),
]

# ---- Texts of Main.ini ---------------------------------------------------------

LABELS = [  # key, English, Chinese
    ("Usb", "Report rate", "回报率"),
    ("Deng", "Lighting", "灯光"),
    ("Light", "Brightness", "亮度"),
    ("FX", "Direction", "方向"),
    ("FXL", "Left", "向左"),
    ("FXR", "Right", "向右"),
    ("Speed", "Speed", "速度"),
    ("Color", "Color", "颜色"),
    ("JColor", "Base color", "底色"),
    ("DC", "Multicolor", "多彩"),
    ("Tool", "Tool", "工具"),
]

EFFECT_NAMES = [  # effect number, English, Chinese
    (1, "Static", "常亮"),
    (2, "Breathing", "呼吸"),
    (3, "Serpentine Flow", "蛇形流光"),
    (4, "Color Cycle", "色彩循环"),
    (5, "Wave", "波浪"),
    (6, "Sweep", "扫描"),
    (7, "Starlight", "星光"),
    (8, "Flash", "闪烁"),
    (9, "Afterglow", "余辉"),
    (10, "Sparkle", "繁星"),
    (11, "Serpentine Rainbow", "蛇形彩虹"),
    (12, "Vertical Rainbow", "彩虹瀑布"),
    (13, "Bouncing Ripple", "回弹涟漪"),
    (14, "Showcase", "演示"),
    (15, "Rain", "雨滴"),
    (16, "Corner Ripples", "角落涟漪"),
    (17, "Four Colors", "四色"),
    (18, "Rings", "光环"),
    (20, "User Defined", "自定义"),
]

# ---- Checks --------------------------------------------------------------------


def _apart(a, b):
    """True when the two controls belong to different keyboard layouts."""
    return a.layout is not None and b.layout is not None and a.layout != b.layout


def _overlap(a, b):
    ax, ay, aw, ah = a
    bx, by, bw, bh = b
    return ax < bx + bw and bx < ax + aw and ay < by + bh and by < ay + ah


def _scenes(window):
    if window == "Main":
        return ["fx%d" % e for e in EFFECTS] + [LAMP_OFF]
    if window == "Composite":
        return list(PAGES)
    return ["all"]


def _shown_in(c, scene):
    if c.shown == "never":
        return False
    if c.shown == "always":
        return True
    return scene in c.shown


def check():
    """Raises ValueError when the geometry is inconsistent: a rectangle outside
    its window or at (1, 1), two controls on screen at once overlapping, a
    control over the colour wheel, pictures shown by controls of different
    sizes, a key missing."""
    problems = []
    for window, controls in CONTROLS.items():
        ww, wh = WINDOWS[window]
        seen = set()
        for c in controls:
            if c.key in seen:
                problems.append("%s: %s twice" % (window, c.key))
            seen.add(c.key)
            x, y, w, h = c.rect
            if x < 1 or y < 1 or (x == 1 and y == 1) or w <= 0 or h <= 0 or x + w > ww or y + h > wh:
                problems.append("%s: %s %r lies outside the window" % (window, c.key, c.rect))
        # Position-only keys move a control sized by its plain key.
        sizes = {c.control: c.rect[2:] for c in controls if c.kind == "plain"}
        for c in controls:
            if c.kind == "position" and sizes.get(c.control) != c.rect[2:]:
                problems.append("%s: %s has another size than its control" % (window, c.key))
        for scene in _scenes(window):
            on = [c for c in controls if c.kind != "position" and _shown_in(c, scene)
                  and not c.style.get("container")]
            if window == "Main":
                # The direction controls stand in the layout of the scene's effect.
                effect = int(scene[2:]) if scene != LAMP_OFF else 0
                suffix = "2" if effect in (3, 5, 6) else "3" if effect == 12 else ""
                moved = {key: rect for key, _, rect, _ in _direction_layout(suffix)}
                on = [Control(c.key, c.control, moved[c.key], c.kind, shown=c.shown, closed_h=c.closed_h)
                      if c.key in moved else c for c in on]
            for i, a in enumerate(on):
                for b in on[i + 1:]:
                    if not _apart(a, b) and _overlap(a.screen_rect(), b.screen_rect()):
                        problems.append("%s, %s: %s and %s overlap" % (window, scene, a.key, b.key))
    cx, cy = WHEEL_CENTRE
    for c in CONTROLS["Main"]:
        x, y, w, h = c.screen_rect()
        nx = min(max(cx, x), x + w - 1)
        ny = min(max(cy, y), y + h - 1)
        if (nx - cx) ** 2 + (ny - cy) ** 2 <= (WHEEL_RADIUS + 3) ** 2:
            problems.append("Main: %s lies on the colour wheel" % c.key)
    for a, b in SAME_SIZE:
        if control("Main", a).rect[2:] != control("Main", b).rect[2:]:
            problems.append("Main: %s and %s show the same pictures at different sizes" % (a, b))
    lights = [c.style.get("light") for c in CONTROLS["Main"] if c.face == "key"]
    if len(lights) != 105 or len(set(lights)) != 105:
        problems.append("Main: the keyboard needs 104 panel keys and Fn, each with its own light position")
    if problems:
        raise ValueError("skin geometry:\n  " + "\n  ".join(problems))
