#!/usr/bin/python3
"""Checks a rendered operator's guide against its sources.

    check-guide.py GUIDE_SRC GUI_SRC HTML_DIR

- every local href (page and anchor) and src of every page in HTML_DIR
  leads to a file that exists, and an anchor to an id on that page;
- every picture of GUIDE_SRC/resimler.txt is in HTML_DIR/_images/ (where
  Sphinx puts the pictures) and shown by some page, and names a window class that GUI_SRC has;
- so is every picture kept in GUIDE_SRC/resimler/ (the Windows installer's,
  which the Linux build cannot make);
- every window class of GUI_SRC (a class derived directly from QDialog,
  QMainWindow or QWidget) has at least one picture in resimler.txt.

Prints every fault, one a line, and ends with status 1 when there is one.
"""

import os
import re
import sys
from html.parser import HTMLParser
from urllib.parse import unquote, urlsplit

PICTURES = "_images"
WINDOW_CLASS = re.compile(r"^\s*class\s+(\w+)\s*(?:final\s*)?:\s*public\s+(?:QDialog|QMainWindow|QWidget)\b",
                          re.MULTILINE)


class PageParser(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.ids = set()
        self.refs = []  # (attribute, value)

    def handle_starttag(self, tag, attrs):
        for name, value in attrs:
            if name == "id" and value:
                self.ids.add(value)
            elif name in ("href", "src") and value is not None:
                self.refs.append((name, value))


def parse_pages(html_dir):
    pages = {}
    for dirpath, _, files in os.walk(html_dir):
        for f in files:
            if f.endswith(".html"):
                path = os.path.join(dirpath, f)
                parser = PageParser()
                with open(path, encoding="utf-8") as fh:
                    parser.feed(fh.read())
                pages[os.path.relpath(path, html_dir)] = parser
    return pages


def check_refs(html_dir, pages, faults):
    shown = set()
    for page, parser in sorted(pages.items()):
        for attr, value in parser.refs:
            parts = urlsplit(value)
            if parts.scheme or parts.netloc:
                continue
            target = os.path.normpath(os.path.join(os.path.dirname(page), unquote(parts.path))) \
                if parts.path else page
            if not os.path.isfile(os.path.join(html_dir, target)):
                faults.append(f"{page}: {attr}={value}: {target} does not exist")
                continue
            if attr == "src":
                shown.add(target)
            if parts.fragment:
                if target not in pages:
                    faults.append(f"{page}: {attr}={value}: an anchor into a file that is not a page")
                elif parts.fragment not in pages[target].ids:
                    faults.append(f"{page}: {attr}={value}: no id {parts.fragment} in {target}")
    return shown


def read_pictures(guide_src):
    pictures = []
    with open(os.path.join(guide_src, "resimler.txt"), encoding="utf-8") as fh:
        for number, line in enumerate(fh, 1):
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            fields = [f.strip() for f in line.split("|")]
            if len(fields) != 3 or not all(fields):
                raise SystemExit(f"resimler.txt:{number}: not 'file name | window class | what is on screen'")
            pictures.append((fields[0], fields[1]))
    return pictures


def window_classes(gui_src):
    classes = set()
    for dirpath, _, files in os.walk(gui_src):
        for f in files:
            if f.endswith(".h"):
                with open(os.path.join(dirpath, f), encoding="utf-8") as fh:
                    classes.update(WINDOW_CLASS.findall(fh.read()))
    return classes


def main(argv):
    if len(argv) != 4:
        raise SystemExit("usage: check-guide.py GUIDE_SRC GUI_SRC HTML_DIR")
    guide_src, gui_src, html_dir = argv[1:]
    faults = []
    pages = parse_pages(html_dir)
    if "index.html" not in pages:
        faults.append(f"{html_dir}: no index.html")
    shown = check_refs(html_dir, pages, faults)

    pictures = read_pictures(guide_src)
    classes = window_classes(gui_src)
    if not classes:
        faults.append(f"{gui_src}: no window class found (QDialog, QMainWindow or QWidget)")
    for name, cls in pictures:
        target = os.path.join(PICTURES, name)
        if not os.path.isfile(os.path.join(html_dir, target)):
            faults.append(f"resimler.txt: {name}: not in {html_dir}/{PICTURES}")
        if target not in shown:
            faults.append(f"resimler.txt: {name}: shown by no page")
        if cls not in classes:
            faults.append(f"resimler.txt: {name}: {cls} is not a window class of {gui_src}")
    kept = os.path.join(guide_src, "resimler")
    for name in sorted(os.listdir(kept)) if os.path.isdir(kept) else []:
        target = os.path.join(PICTURES, name)
        if not os.path.isfile(os.path.join(html_dir, target)):
            faults.append(f"resimler/{name}: not in {html_dir}/{PICTURES}")
        if target not in shown:
            faults.append(f"resimler/{name}: shown by no page")
    pictured = {cls for _, cls in pictures}
    for cls in sorted(classes - pictured):
        faults.append(f"{cls}: a window of the program without a picture in resimler.txt")

    for fault in dict.fromkeys(faults):  # a link given twice on a page, once
        print(fault)
    print(f"{len(pages)} pages, {len(pictures)} pictures, windows: {' '.join(sorted(classes))}")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
