#!/usr/bin/env python3
"""Checks that every look of the program is readable: in each style sheet,
every text colour against the background it is drawn on, for every control
state the sheet styles, has a contrast ratio of at least 4.5:1 (the WCAG
formula).

    scripts/check-skin-contrast.py [--expect N] [SHEET ...]

Without sheets it checks the theme files skins/*.sui and the built-in styles
ui/styles/*.qss. --expect N fails unless exactly N sheets were checked.

What it reads of a sheet:
- a rule that sets a text colour (color) or a background for something that
  shows text must set both; a background of "transparent" must name what it
  is drawn on with a comment /* on SELECTOR */, whose rule gives the colour;
- a gradient background is checked at each of its stops;
- selection-color against selection-background-color, color against
  alternate-background-color;
- a progress bar's text against its groove and against its chunk, since the
  text is drawn across both.
Rules for parts without text (scroll bars, the progress chunk, separators,
handles) may set a background alone. A sheet must also style every kind of
control the windows use (KINDS).
"""
import glob
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MINIMUM = 4.5

# Parts that never carry text.
TEXTLESS = re.compile(
    r"::(chunk|separator|handle|add-line|sub-line|add-page|sub-page|pane|drop-down|"
    r"down-arrow|up-arrow|indicator|menu-indicator|branch|corner)\b|^QScrollBar\b|"
    r"^QStatusBar::item\b|^QToolBar::")
HEX = re.compile(r"#[0-9a-fA-F]{6}\b")

# The control kinds of the windows; each needs a rule of its own.
KINDS = ["QWidget", "QLabel", "QCheckBox", "QRadioButton", "QToolTip", "QToolBar", "QToolButton",
         "QMenu", "QMenu::item", "QPushButton", "QLineEdit", "QPlainTextEdit", "QComboBox",
         "QComboBox QAbstractItemView", "QTreeView", "QListView", "QHeaderView::section",
         "QProgressBar", "QProgressBar::chunk", "QGroupBox", "QGroupBox::title", "QTabBar::tab",
         "QStatusBar", "QScrollBar:vertical", "QScrollBar::handle"]


def luminance(hex_colour):
    h = hex_colour.lstrip("#")
    values = [int(h[i:i + 2], 16) / 255.0 for i in (0, 2, 4)]
    r, g, b = (v / 12.92 if v <= 0.03928 else ((v + 0.055) / 1.055) ** 2.4 for v in values)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = luminance(a), luminance(b)
    return (max(la, lb) + 0.05) / (min(la, lb) + 0.05)


class Rule:
    def __init__(self, selectors, body, on):
        self.selectors = selectors
        self.on = on
        self.declarations = {}
        for declaration in body.split(";"):
            if ":" in declaration:
                name, value = declaration.split(":", 1)
                self.declarations[name.strip().lower()] = value.strip()

    def name(self):
        return ", ".join(self.selectors)

    def textless(self):
        return all(TEXTLESS.search(s) for s in self.selectors)


def parse(text):
    rules = []
    for match in re.finditer(r"([^{}]+)\{([^{}]*)\}", text):
        head, body = match.group(1), match.group(2)
        on = re.search(r"/\*\s*on\s+([^*]+?)\s*\*/", head + body)
        head = re.sub(r"/\*.*?\*/", "", head, flags=re.S)
        body = re.sub(r"/\*.*?\*/", "", body, flags=re.S)
        selectors = [s.strip() for s in head.split(",") if s.strip()]
        rules.append(Rule(selectors, body, on.group(1).strip() if on else None))
    return rules


def colours(value):
    """The colours a value paints with: one, or each stop of a gradient."""
    return HEX.findall(value or "")


def background_of(rule, rules):
    value = rule.declarations.get("background", rule.declarations.get("background-color"))
    if value is None:
        return None
    if value.strip() == "transparent":
        if not rule.on:
            return None
        for other in rules:
            if rule.on in other.selectors and other is not rule:
                return background_of(other, rules)
        return None
    return colours(value)


def check_sheet(path):
    with open(path, encoding="utf-8") as f:
        rules = parse(f.read())
    problems, pairs = [], []

    def pair(what, text, backgrounds):
        for background in backgrounds:
            ratio = contrast(text, background)
            pairs.append((ratio, what, text, background))
            if ratio < MINIMUM:
                problems.append("%s: %s on %s is %.2f:1" % (what, text, background, ratio))

    styled = {s for r in rules for s in r.selectors}
    for kind in KINDS:
        if kind not in styled:
            problems.append("%s is not styled" % kind)
    chunks = [r for r in rules if any(s.startswith("QProgressBar::chunk") for s in r.selectors)]
    for rule in rules:
        d = rule.declarations
        text = colours(d.get("color"))
        has_background = "background" in d or "background-color" in d
        backgrounds = background_of(rule, rules)
        if rule.textless():
            continue
        if text or has_background:
            if not text:
                problems.append("%s: a background without a text colour" % rule.name())
            elif not backgrounds:
                problems.append("%s: a text colour without a background it can be checked on"
                                % rule.name())
            else:
                pair(rule.name(), text[0], backgrounds)
        if text and "alternate-background-color" in d:
            pair(rule.name() + " (alternate rows)", text[0], colours(d["alternate-background-color"]))
        if "selection-color" in d or "selection-background-color" in d:
            selected = colours(d.get("selection-color"))
            selection = colours(d.get("selection-background-color"))
            if not selected or not selection:
                problems.append("%s: a selection colour without its pair" % rule.name())
            else:
                pair(rule.name() + " (selection)", selected[0], selection)
        if text and any(s.startswith("QProgressBar") for s in rule.selectors):
            if not chunks:
                problems.append("%s: no QProgressBar::chunk to check its text on" % rule.name())
            for chunk in chunks:
                pair(rule.name() + " (over the chunk)", text[0], background_of(chunk, rules) or [])
    return problems, pairs


def main(argv):
    expect = None
    if len(argv) >= 2 and argv[0] == "--expect":
        expect, argv = int(argv[1]), argv[2:]
    sheets = argv or sorted(glob.glob(os.path.join(ROOT, "skins", "*.sui")) +
                            glob.glob(os.path.join(ROOT, "ui", "styles", "*.qss")))
    failed = False
    for path in sheets:
        problems, pairs = check_sheet(path)
        name = os.path.relpath(path, ROOT)
        if not pairs:
            problems.append("no text colours found")
        if problems:
            failed = True
            for problem in problems:
                print("FAIL %s: %s" % (name, problem))
        else:
            lowest = min(pairs)
            print("ok   %s: %d pairs, lowest %.2f:1 (%s)" % (name, len(pairs), lowest[0], lowest[1]))
    if expect is not None and len(sheets) != expect:
        print("FAIL: %d sheets checked, %d expected" % (len(sheets), expect))
        failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
