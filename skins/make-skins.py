#!/usr/bin/env python3
"""Writes the program's 18 looks as Qt style sheets from one palette table.

The 13 theme files go to skins/ (shipped beside the program), the 5 built-in
styles to ui/styles/ (compiled into it). Every sheet styles the same control
kinds from the same template; a palette gives each look its colours and its
shape (corner radius, flat or shaded surfaces). Text colours are chosen here
to stay readable on their backgrounds; scripts/check-skin-contrast.py checks
the written sheets independently.

    skins/make-skins.py           write the sheets
    skins/make-skins.py --check   exit 1 when a written sheet differs
"""
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MIN_CONTRAST = 4.6  # a little above the 4.5 the check asks for

# ---- colours -----------------------------------------------------------------


def rgb(hex_colour):
    h = hex_colour.lstrip("#")
    return tuple(int(h[i:i + 2], 16) for i in (0, 2, 4))


def hexof(c):
    return "#%02x%02x%02x" % tuple(max(0, min(255, round(v))) for v in c)


def mix(a, b, t):
    """a moved towards b by t (0..1)."""
    ca, cb = rgb(a), rgb(b)
    return hexof(tuple(x + (y - x) * t for x, y in zip(ca, cb)))


def luminance(c):
    def channel(v):
        v /= 255.0
        return v / 12.92 if v <= 0.03928 else ((v + 0.055) / 1.055) ** 2.4
    r, g, b = (channel(v) for v in rgb(c))
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = luminance(a), luminance(b)
    return (max(la, lb) + 0.05) / (min(la, lb) + 0.05)


def readable(preferred, backgrounds):
    """The preferred text colour, or the nearest shade of it towards black or
    white that reads on every background."""
    def ok(c):
        return all(contrast(c, bg) >= MIN_CONTRAST for bg in backgrounds)
    if ok(preferred):
        return preferred
    for target in ("#000000", "#ffffff"):
        for step in range(1, 21):
            candidate = mix(preferred, target, step / 20.0)
            if ok(candidate):
                return candidate
    raise SystemExit("no readable text for %s on %s" % (preferred, backgrounds))


# ---- the looks -------------------------------------------------------------------
# Each look names its base colours; what is left out is derived from them.
# toolbar, button, header and chunk are (top, bottom) pairs: equal for a flat
# surface.

LOOKS = [
    dict(file="ui/styles/MacOS.qss", title="MacOS",
         about="brushed light grey with blue accents and rounded buttons",
         window="#ececec", text="#1d1d1f", accent="#0a64d8", border="#b4b4b4",
         toolbar=("#f4f4f4", "#d6d6d6"), toolbar_text="#1d1d1f",
         button=("#ffffff", "#e8e8e8"), list="#ffffff", list_alt="#f1f4f9",
         header=("#f8f8f8", "#e2e2e2"), selection="#1f6fde",
         chunk=("#6aaaf6", "#3584e4"), groove="#e4e4e4", radius=6),
    dict(file="skins/msn.sui", title="微软MSN皮肤",
         about="sky blue bars over a white body, warm orange highlights",
         window="#eef5fc", text="#10294a", accent="#2a7fd4", border="#9cbfe3",
         toolbar=("#e3f1ff", "#b7d8f6"), toolbar_text="#0f2f5c",
         tool_hover="#ffe2b0", tool_pressed="#ffcb7a",
         button=("#ffffff", "#dcebfa"), list="#ffffff", list_alt="#f0f7fe",
         header=("#f4f9ff", "#d5e7f8"), selection="#2a73c4",
         chunk=("#8ccaff", "#4fa3ec"), groove="#e5eef8", radius=4),
    dict(file="skins/mp10.sui", title="WMP10皮肤",
         about="a dark player look: blue-black glass with light blue lights",
         window="#1a2230", text="#e6edf7", accent="#5ab8ff", border="#3a4b66",
         toolbar=("#2d3c55", "#131a26"), toolbar_text="#e6edf7",
         button=("#36476a", "#253149"), list="#111822", list_alt="#172232",
         header=("#2b3a52", "#1c2639"), selection="#2a6fbe",
         chunk=("#2d74c4", "#1d5698"), groove="#0b1119", radius=5, dark=True),
    dict(file="ui/styles/WinXP.qss", title="WinXP标准皮肤",
         about="the familiar beige desktop with blue selections and green progress",
         window="#ece9d8", text="#000000", accent="#316ac5", border="#7f9db9",
         toolbar=("#fcfbf7", "#e0dcc7"), toolbar_text="#000000",
         tool_hover="#fdf1d0", tool_pressed="#f4dca0",
         button=("#ffffff", "#e4e2d6"), button_border="#003c74",
         list="#ffffff", list_alt="#f6f5ee", header=("#ffffff", "#e9e8dc"),
         selection="#316ac5", chunk=("#6fd672", "#2ea23a"), groove="#ffffff", radius=3),
    dict(file="ui/styles/Protein.qss", title="Protein样式皮肤",
         about="soft lilac with a violet bar and pill-shaped buttons",
         window="#f2eff8", text="#24183a", accent="#6a4bb0", border="#bdb0dc",
         toolbar=("#5c3fa8", "#452c86"), toolbar_text="#ffffff",
         button=("#ffffff", "#e6dff4"), list="#ffffff", list_alt="#f6f3fb",
         header=("#f7f4fc", "#e4dcf3"), selection="#6444ab",
         chunk=("#c0a9f0", "#9b7fe0"), groove="#ebe5f5", radius=11),
    dict(file="skins/RealOne.sui", title="RealOne风格皮肤",
         about="charcoal panels with amber highlights",
         window="#2a2c30", text="#efefef", accent="#f0a020", border="#4a4d55",
         toolbar=("#3b3e45", "#222428"), toolbar_text="#f4f4f4",
         tool_hover="#54483a", tool_pressed="#6b5534",
         button=("#474a52", "#35373d"), list="#1f2023", list_alt="#26282c",
         header=("#3a3d44", "#2c2e33"), selection="#f0a020", selection_text="#1a1205",
         chunk=("#a85e08", "#84480a"), groove="#1a1b1e", radius=3, dark=True),
    dict(file="ui/styles/DeepBlue.qss", title="深蓝色皮肤",
         about="deep navy throughout with bright blue accents",
         window="#0f2444", text="#e8effc", accent="#4aa8ff", border="#2c4f80",
         toolbar=("#1d3e70", "#0d2140"), toolbar_text="#eef4ff",
         button=("#24497f", "#173463"), list="#0a1a31", list_alt="#0f223f",
         header=("#1d3a66", "#152d52"), selection="#2f72cf",
         chunk=("#2a6bc4", "#1c58ad"), groove="#07132a", radius=4, dark=True),
    dict(file="ui/styles/BlueGlass.qss", title="蓝色玻璃皮肤",
         about="light blue glass: shaded bars and buttons, clear lists",
         window="#e3edf7", text="#0c2137", accent="#2d7cc8", border="#8eb1d3",
         toolbar=("#f6faff", "#c4daf0"), toolbar_text="#0c2137",
         button=("#fbfdff", "#cfe1f4"), button_border="#7fa3c8",
         list="#ffffff", list_alt="#edf4fb", header=("#f8fbff", "#d3e3f3"),
         selection="#2a6db3", chunk=("#8ccdf8", "#3f98df"), groove="#eef4fa", radius=5),
    dict(file="skins/Longhorn.sui", title="Vista风格皮肤",
         about="a black glass bar over a bright body, aqua and green lights",
         window="#f3f5f8", text="#1a1e23", accent="#2a9fd6", border="#aab4c0",
         toolbar=("#434d5a", "#0f1319"), toolbar_text="#f2f6fa",
         tool_hover="#2c6b8e", tool_pressed="#1e5574",
         button=("#f8fafc", "#dbe2ea"), button_border="#8895a5",
         list="#ffffff", list_alt="#f4f7fa", header=("#ffffff", "#e4e9ef"),
         selection="#cde8f8", selection_text="#10222f",
         chunk=("#6bd466", "#32a52e"), groove="#e8ecf0", radius=4),
    dict(file="skins/DeepGreen.sui", title="深绿色皮肤",
         about="dark forest green with fresh green accents",
         window="#15241a", text="#e3f0e5", accent="#4cc36f", border="#2f4d38",
         toolbar=("#244230", "#112319"), toolbar_text="#e9f6eb",
         button=("#2b4a36", "#1d3526"), list="#0e1b13", list_alt="#132519",
         header=("#24402e", "#1a3022"), selection="#2b7d47",
         chunk=("#2a7d47", "#216a3a"), groove="#0a130d", radius=4, dark=True),
    dict(file="skins/DeepOrange.sui", title="桔红色皮肤",
         about="warm cream under a glowing orange bar",
         window="#fbf3ec", text="#3a1f10", accent="#d9601f", border="#e0b99f",
         toolbar=("#ffbd85", "#f59a55"), toolbar_text="#2a1204",
         tool_hover="#ffd9b8", tool_pressed="#e9843c",
         button=("#fffaf5", "#f6e1d1"), button_border="#c98a65",
         list="#ffffff", list_alt="#fdf5ee", header=("#fff8f2", "#f4dfcf"),
         selection="#b9501b", chunk=("#ffbb88", "#f49350"), groove="#f7e9de", radius=5),
    dict(file="skins/GreenGlass.sui", title="绿色玻璃皮肤",
         about="light green glass: shaded bars and buttons",
         window="#e9f5eb", text="#0f2f18", accent="#2f9e4f", border="#93c6a0",
         toolbar=("#f4fbf5", "#c3e6ca"), toolbar_text="#0f2f18",
         button=("#fbfffb", "#d2ecd7"), button_border="#76b085",
         list="#ffffff", list_alt="#eef8f0", header=("#f7fcf8", "#d5ecda"),
         selection="#27793f", chunk=("#98e0a5", "#55c36b"), groove="#eef6ef", radius=6),
    dict(file="skins/OneBlue.sui", title="时尚蓝色blue皮肤",
         about="flat and modern: a solid blue bar, white surfaces, square corners",
         window="#f5f7fa", text="#1f2933", accent="#1e66d0", border="#c3cbd5",
         toolbar=("#124a94", "#124a94"), toolbar_text="#ffffff",
         tool_hover="#1d5fb5", tool_pressed="#0c3a78",
         button=("#ffffff", "#ffffff"), list="#ffffff", list_alt="#f3f6fa",
         header=("#eef2f7", "#eef2f7"), selection="#1e63c9",
         chunk=("#6aa5f3", "#6aa5f3"), groove="#e3e8ef", radius=2),
    dict(file="skins/OneCyan.sui", title="时尚的Cyan皮肤",
         about="flat teal and white with cyan progress",
         window="#f1f8f8", text="#0e2d2e", accent="#00838f", border="#a9cfd2",
         toolbar=("#00545c", "#00545c"), toolbar_text="#ffffff",
         tool_hover="#0a6b74", tool_pressed="#00404a",
         button=("#ffffff", "#ffffff"), list="#ffffff", list_alt="#eff8f8",
         header=("#e6f3f4", "#e6f3f4"), selection="#007681",
         chunk=("#5fd3e1", "#5fd3e1"), groove="#dcecee", radius=3),
    dict(file="skins/SportsBlack.sui", title="运动黑色皮肤",
         about="black with racing red, sharp corners",
         window="#121212", text="#f2f2f2", accent="#e53935", border="#3a3a3a",
         toolbar=("#2a2a2a", "#0b0b0b"), toolbar_text="#f5f5f5",
         tool_hover="#4a1a1a", tool_pressed="#7a1f1f",
         button=("#2e2e2e", "#1c1c1c"), list="#0c0c0c", list_alt="#171717",
         header=("#262626", "#1b1b1b"), selection="#c62828",
         chunk=("#d32f2f", "#9e1c1c"), groove="#050505", radius=1, dark=True),
    dict(file="skins/xpgreen.sui", title="XP绿色皮肤",
         about="the olive desktop: khaki surfaces with olive bars",
         window="#ecebdd", text="#1c2410", accent="#738a46", border="#a7ae86",
         toolbar=("#eef1dc", "#c9d0a4"), toolbar_text="#1c2410",
         tool_hover="#f6eccb", tool_pressed="#e7d59c",
         button=("#fdfdf7", "#e3e6d1"), button_border="#5b6e2e",
         list="#ffffff", list_alt="#f5f5ec", header=("#fbfbf3", "#e4e6d2"),
         selection="#5f7a2c", chunk=("#b1cf73", "#86a93f"), groove="#f6f6ee", radius=3),
    dict(file="skins/royale.sui", title="Royale",
         about="silver surfaces under a deep blue-black bar",
         window="#eef0f5", text="#111827", accent="#335fbf", border="#a4adbf",
         toolbar=("#3b4763", "#141a2b"), toolbar_text="#f1f4fb",
         tool_hover="#2d4f93", tool_pressed="#223d75",
         button=("#ffffff", "#e1e6ef"), button_border="#8691a8",
         list="#ffffff", list_alt="#f2f4f9", header=("#fbfcfe", "#e2e6ee"),
         selection="#335fbf", chunk=("#84aaf0", "#4d7fdc"), groove="#e5e9f1", radius=4),
    dict(file="skins/winter.sui", title="冬天的色彩皮肤",
         about="icy whites and pale blues with soft round corners",
         window="#f3f8fc", text="#1d3346", accent="#4a90c2", border="#b3cde0",
         toolbar=("#eef6fc", "#cfe3f2"), toolbar_text="#1d3346",
         tool_hover="#ffffff", tool_pressed="#bcd9ee",
         button=("#ffffff", "#e8f2fa"), button_border="#a7c3d8",
         list="#ffffff", list_alt="#f1f7fc", header=("#fafdff", "#e1eef8"),
         selection="#b9dcf2", selection_text="#10283a",
         chunk=("#c4e6fc", "#8fcaf0"), groove="#eaf2f8", radius=9),
]

# ---- derived colours ----------------------------------------------------------------


def derive(look):
    c = dict(look)
    dark = c.get("dark", False)
    w, t, a = c["window"], c["text"], c["accent"]
    tb = c["toolbar"]
    tb_mid = mix(tb[0], tb[1], 0.5)
    light, deep = ("#ffffff", "#000000")

    c["text"] = readable(t, [w])
    c["muted"] = readable(mix(t, w, 0.42), [w])
    c["group_border"] = c.get("group_border", c["border"])
    c["group_title"] = readable(mix(t, a, 0.55), [w])

    c["toolbar_top"], c["toolbar_bottom"] = tb
    c["toolbar_border"] = mix(tb[1], deep, 0.25)
    c["toolbar_text"] = readable(c["toolbar_text"], list(tb))
    c["toolbar_muted"] = readable(mix(c["toolbar_text"], tb_mid, 0.45), list(tb))
    c["tool_hover"] = c.get("tool_hover", mix(tb_mid, a, 0.22))
    c["tool_pressed"] = c.get("tool_pressed", mix(tb_mid, a, 0.4))
    c["tool_hover_text"] = readable(c["toolbar_text"], [c["tool_hover"]])
    c["tool_pressed_text"] = readable(c["toolbar_text"], [c["tool_pressed"]])
    c["tool_hover_border"] = mix(c["tool_hover"], a, 0.5)

    bt, bb = c["button"]
    c["button_top"], c["button_bottom"] = bt, bb
    c["button_border"] = c.get("button_border", mix(c["border"], deep, 0.1))
    c["button_text"] = readable(t, [bt, bb])
    c["button_hover_top"] = mix(bt, a, 0.10)
    c["button_hover_bottom"] = mix(bb, a, 0.18)
    c["button_hover_text"] = readable(t, [c["button_hover_top"], c["button_hover_bottom"]])
    c["button_pressed"] = mix(bb, a, 0.32)
    c["button_pressed_text"] = readable(t, [c["button_pressed"]])
    c["button_disabled"] = mix(mix(bt, bb, 0.5), w, 0.5)
    c["button_disabled_border"] = mix(c["button_border"], w, 0.5)
    c["button_disabled_text"] = readable(mix(t, c["button_disabled"], 0.45), [c["button_disabled"]])

    c["input"] = c["list"]
    c["input_border"] = c["border"]
    c["input_text"] = readable(t, [c["input"]])
    c["readonly"] = mix(c["input"], w, 0.55)
    c["readonly_text"] = readable(t, [c["readonly"]])
    c["input_disabled"] = mix(c["input"], w, 0.8)
    c["input_disabled_text"] = readable(mix(t, c["input_disabled"], 0.45), [c["input_disabled"]])

    c["list_text"] = readable(t, [c["list"], c["list_alt"]])
    c["list_muted"] = readable(mix(t, c["list"], 0.45), [c["list"], c["list_alt"]])
    c["row_hover"] = mix(c["list"], a, 0.12)
    c["row_hover_text"] = readable(t, [c["row_hover"]])
    sel = c["selection"]
    c["selection_text"] = readable(c.get("selection_text", light if luminance(sel) < 0.3 else deep), [sel])
    c["selection_inactive"] = mix(sel, c["list"], 0.45)
    c["selection_inactive_text"] = readable(c["selection_text"] if luminance(c["selection_inactive"]) < 0.3 else t,
                                            [c["selection_inactive"]])
    hd = c["header"]
    c["header_top"], c["header_bottom"] = hd
    c["header_border"] = mix(hd[1], deep, 0.18)
    c["header_text"] = readable(t, list(hd))

    ch = c["chunk"]
    c["chunk_top"], c["chunk_bottom"] = ch
    c["bar_border"] = mix(c["groove"], deep if not dark else c["border"], 0.25 if not dark else 0.8)
    c["bar_text"] = readable(light if dark else deep, [c["groove"], ch[0], ch[1]])

    menu = c.get("menu", c["list"])
    c["menu"] = menu
    c["menu_border"] = c["border"]
    c["menu_text"] = readable(t, [menu])
    c["menu_selection"] = c.get("menu_selection", sel)
    c["menu_selection_text"] = readable(c["selection_text"], [c["menu_selection"]])
    c["menu_muted"] = readable(mix(t, menu, 0.45), [menu])

    c["status"] = c.get("status", mix(w, deep if not dark else light, 0.05))
    c["status_border"] = mix(c["status"], deep, 0.15)
    c["status_text"] = readable(t, [c["status"]])

    c["tip"] = c.get("tip", mix(w, a, 0.08) if not dark else mix(w, light, 0.12))
    c["tip_text"] = readable(t, [c["tip"]])
    c["tip_border"] = mix(c["tip"], a, 0.6)

    c["tab"] = mix(w, deep if not dark else light, 0.06)
    c["tab_text"] = readable(t, [c["tab"]])
    c["tab_hover"] = mix(c["tab"], a, 0.15)
    c["tab_hover_text"] = readable(t, [c["tab_hover"]])

    c["track"] = mix(c["list"], w, 0.5)
    c["handle"] = mix(c["border"], w, 0.2)
    c["handle_hover"] = mix(c["border"], a, 0.45)
    c["radius_small"] = max(1, min(c["radius"], 4))
    c["chunk_radius"] = max(0, c["radius_small"] - 1)
    return c


def gradient(top, bottom):
    if top == bottom:
        return top
    return "qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 %s, stop: 1 %s)" % (top, bottom)


TEMPLATE = """\
/* {title}: {about}.
   Written by skins/make-skins.py from its palette table; change it there. */

/* Window, labels and the plain texts of every window */
QWidget {{
    color: {text};
    background: {window};
    selection-color: {selection_text};
    selection-background-color: {selection};
}}
QWidget:disabled {{
    color: {muted};
    background: {window};
}}
QLabel, QCheckBox, QRadioButton {{  /* on QWidget */
    color: {text};
    background: transparent;
}}
QLabel:disabled, QCheckBox:disabled, QRadioButton:disabled {{  /* on QWidget */
    color: {muted};
    background: transparent;
}}
QCheckBox, QRadioButton {{
    spacing: 6px;
}}
QToolTip {{
    color: {tip_text};
    background: {tip};
    border: 1px solid {tip_border};
    padding: 4px 6px;
}}

/* Tool bar and its buttons */
QToolBar {{
    color: {toolbar_text};
    background: {toolbar};
    border: none;
    border-bottom: 1px solid {toolbar_border};
    padding: 4px 6px;
    spacing: 3px;
}}
QToolBar::separator {{
    background: {toolbar_border};
    width: 1px;
    margin: 8px 5px;
}}
QToolButton {{  /* on QToolBar */
    color: {toolbar_text};
    background: transparent;
    border: 1px solid transparent;
    border-radius: {radius}px;
    padding: 4px 9px;
}}
QToolButton:hover {{
    color: {tool_hover_text};
    background: {tool_hover};
    border: 1px solid {tool_hover_border};
}}
QToolButton:pressed, QToolButton:checked {{
    color: {tool_pressed_text};
    background: {tool_pressed};
    border: 1px solid {tool_hover_border};
}}
QToolButton:disabled {{  /* on QToolBar */
    color: {toolbar_muted};
    background: transparent;
    border: 1px solid transparent;
}}

/* Menus */
QMenu {{
    color: {menu_text};
    background: {menu};
    border: 1px solid {menu_border};
    padding: 4px;
}}
QMenu::item {{
    color: {menu_text};
    background: {menu};
    padding: 5px 26px 5px 22px;
    border-radius: {radius_small}px;
}}
QMenu::item:selected {{
    color: {menu_selection_text};
    background: {menu_selection};
}}
QMenu::item:disabled {{
    color: {menu_muted};
    background: {menu};
}}
QMenu::separator {{
    height: 1px;
    background: {menu_border};
    margin: 4px 8px;
}}

/* Push buttons */
QPushButton {{
    color: {button_text};
    background: {button};
    border: 1px solid {button_border};
    border-radius: {radius}px;
    padding: 4px 14px;
    min-height: 1.3em;
}}
QPushButton:hover {{
    color: {button_hover_text};
    background: {button_hover};
    border: 1px solid {accent};
}}
QPushButton:pressed {{
    color: {button_pressed_text};
    background: {button_pressed};
    border: 1px solid {accent};
}}
QPushButton:default, QPushButton:focus {{
    border: 1px solid {accent};
}}
QPushButton:disabled {{
    color: {button_disabled_text};
    background: {button_disabled};
    border: 1px solid {button_disabled_border};
}}

/* Entry fields */
QLineEdit, QPlainTextEdit, QTextEdit, QAbstractSpinBox {{
    color: {input_text};
    background: {input};
    border: 1px solid {input_border};
    border-radius: {radius_small}px;
    padding: 3px 6px;
    selection-color: {selection_text};
    selection-background-color: {selection};
}}
QLineEdit:focus, QPlainTextEdit:focus, QTextEdit:focus, QAbstractSpinBox:focus {{
    border: 1px solid {accent};
}}
QLineEdit:read-only {{
    color: {readonly_text};
    background: {readonly};
}}
QLineEdit:disabled, QPlainTextEdit:disabled, QTextEdit:disabled, QAbstractSpinBox:disabled {{
    color: {input_disabled_text};
    background: {input_disabled};
}}

/* Drop-down lists: the base style draws their frame and arrow in these colours */
QComboBox {{
    color: {button_text};
    background: {combo};
    padding: 3px 8px;
    min-height: 1.3em;
}}
QComboBox:hover {{
    color: {button_hover_text};
    background: {combo_hover};
}}
QComboBox:on {{
    color: {button_pressed_text};
    background: {button_pressed};
}}
QComboBox:disabled {{
    color: {button_disabled_text};
    background: {button_disabled};
}}
QComboBox QAbstractItemView {{
    color: {list_text};
    background: {list};
    border: 1px solid {border};
    selection-color: {selection_text};
    selection-background-color: {selection};
    outline: 0;
}}

/* Lists and their headers */
QTreeView, QListView, QTableView {{
    color: {list_text};
    background: {list};
    alternate-background-color: {list_alt};
    border: 1px solid {border};
    selection-color: {selection_text};
    selection-background-color: {selection};
    outline: 0;
}}
QTreeView:disabled, QListView:disabled, QTableView:disabled {{
    color: {list_muted};
    background: {list};
}}
QTreeView::item:hover, QListView::item:hover {{
    color: {row_hover_text};
    background: {row_hover};
}}
QTreeView::item:selected, QListView::item:selected {{
    color: {selection_text};
    background: {selection};
}}
QTreeView::item:selected:!active, QListView::item:selected:!active {{
    color: {selection_inactive_text};
    background: {selection_inactive};
}}
QHeaderView {{
    color: {header_text};
    background: {header_bottom};
}}
QHeaderView::section {{
    color: {header_text};
    background: {header};
    border: none;
    border-right: 1px solid {header_border};
    border-bottom: 1px solid {header_border};
    padding: 4px 6px;
}}

/* Progress bars (also the bars inside the job list) */
QProgressBar {{
    color: {bar_text};
    background: {groove};
    border: 1px solid {bar_border};
    border-radius: {radius_small}px;
    text-align: center;
}}
QProgressBar::chunk {{
    background: {chunk};
    border-radius: {chunk_radius}px;
}}

/* Framed groups */
QGroupBox {{
    color: {text};
    background: {window};
    border: 1px solid {group_border};
    border-radius: {radius}px;
    margin-top: 1.1em;
    padding: 10px 8px 6px 8px;
}}
QGroupBox::title {{
    color: {group_title};
    background: {window};
    subcontrol-origin: margin;
    subcontrol-position: top left;
    left: 10px;
    padding: 0 4px;
}}

/* Tabs */
QTabWidget::pane {{
    border: 1px solid {border};
    background: {window};
}}
QTabBar::tab {{
    color: {tab_text};
    background: {tab};
    border: 1px solid {border};
    padding: 5px 12px;
}}
QTabBar::tab:hover {{
    color: {tab_hover_text};
    background: {tab_hover};
}}
QTabBar::tab:selected {{
    color: {text};
    background: {window};
}}

/* Status bar */
QStatusBar {{
    color: {status_text};
    background: {status};
    border-top: 1px solid {status_border};
}}
QStatusBar::item {{
    border: none;
}}
QStatusBar QLabel {{  /* on QStatusBar */
    color: {status_text};
    background: transparent;
}}

/* Scroll bars */
QScrollBar:vertical {{
    background: {track};
    width: 12px;
    margin: 0;
    border: none;
}}
QScrollBar:horizontal {{
    background: {track};
    height: 12px;
    margin: 0;
    border: none;
}}
QScrollBar::handle {{
    background: {handle};
    border-radius: 4px;
    min-height: 24px;
    min-width: 24px;
    margin: 2px;
}}
QScrollBar::handle:hover {{
    background: {handle_hover};
}}
QScrollBar::add-line, QScrollBar::sub-line {{
    width: 0;
    height: 0;
    border: none;
    background: none;
}}
QScrollBar::add-page, QScrollBar::sub-page {{
    background: none;
}}
"""


def sheet(look):
    c = derive(look)
    for name in ("toolbar", "button", "header", "chunk"):
        c[name] = gradient(c[name + "_top"], c[name + "_bottom"])
    c["button_hover"] = gradient(c["button_hover_top"], c["button_hover_bottom"])
    # The base style shades a drop-down list itself: it takes one colour.
    c["combo"] = mix(c["button_top"], c["button_bottom"], 0.5)
    c["combo_hover"] = mix(c["button_hover_top"], c["button_hover_bottom"], 0.5)
    return TEMPLATE.format(**c)


def main():
    check = "--check" in sys.argv[1:]
    stale = []
    for look in LOOKS:
        path = os.path.join(ROOT, look["file"])
        text = sheet(look)
        if check:
            try:
                with open(path, encoding="utf-8") as f:
                    if f.read() != text:
                        stale.append(look["file"])
            except OSError:
                stale.append(look["file"])
            continue
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
    if stale:
        print("not what skins/make-skins.py writes: " + ", ".join(stale))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
