# The operator's guide as HTML: Sphinx with MyST, both from Debian
# (python3-sphinx, python3-myst-parser). scripts/render-guide.sh runs it over
# a copy of this folder with the pictures in resimler/, with warnings as
# errors, so a link to a missing page, section or picture fails the build.
#
# Beyond what Sphinx does by itself, the guide keeps three things out of the
# pages' text, so the pages stay plain Markdown:
# - the order of pages (page list, previous/next) is the order of index.md's
#   links; a page that index.md does not link is an error, as before;
# - every section heading is an entry of the index ("Dizin"), besides the
#   glossary's terms;
# - the message index (mesajlar.md) is made from the pages' tables of
#   messages and from the windows' message boxes (gui/, each under the
#   sections that quote it), so it follows the pages and the program; a box
#   text that no page quotes fails the build.
import os
import re

from docutils import nodes
from sphinx import addnodes
from sphinx.util import logging

logger = logging.getLogger(__name__)

project = "Meridox Kullanım Kılavuzu"
html_title = project
language = "tr"
root_doc = "index"
extensions = ["myst_parser"]
source_suffix = {".md": "markdown"}
# Section anchors as MyST makes them ("Kayıtları almak" is
# "kayıtları-almak"), for links such as yedek-yukle.md#yedek-almak.
myst_heading_anchors = 3
myst_enable_extensions = ["deflist"]
# The pages quote the program's texts exactly: no curly quotes, no dashes
# made of "--" in an option.
smartquotes = False

html_theme = "alabaster"
html_theme_options = {"show_relbars": True, "fixed_sidebar": True, "page_width": "1100px"}
html_sidebars = {"**": ["about.html", "searchbox.html", "navigation.html", "relations.html"]}
html_static_path = ["kilavuz.css"]
html_css_files = ["kilavuz.css"]
html_copy_source = False
html_show_sourcelink = False
html_show_sphinx = False
# The same pages give the same bytes: no date on them.
html_last_updated_fmt = None

LINK = re.compile(r"\]\(([^)#\s]+)\.md(?:#[^)]*)?\)")
# Tables whose first column lists what the program shows.
MESSAGE_COLUMNS = ("Mesaj", "Metin", "Durum satırı", "Satır")
# The pages that the guide's tools add after index.md's own.
TOOL_PAGES = ("mesajlar", "sozluk")


def page_order(srcdir):
    with open(os.path.join(srcdir, "index.md"), encoding="utf-8") as fh:
        names = LINK.findall(fh.read())
    order = list(dict.fromkeys(n for n in names if n != "index"))
    return order + [p for p in TOOL_PAGES if p not in order]


def slug(title, taken):
    """The anchor MyST gives a heading (mdit_py_plugins' slugify and
    unique_slug), from the heading's text without its inline marks."""
    text = re.sub(r"[`*_]", "", title)
    text = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", text)
    base = re.sub(r"[^\w\u4e00-\u9fff\- ]", "", text.strip().lower().replace(" ", "-"))
    unique, i = base, 1
    while unique in taken:
        unique, i = f"{base}-{i}", i + 1
    taken.add(unique)
    return unique


TURKISH_ORDER = "abcçdefgğhıijklmnoöprsştuüvwxyz"


def turkish_key(text):
    text = re.sub(r"^(\(Linux\)|\(Windows\)|Komut satırında|Hata kutusunda)\s*", "", text)
    text = re.sub(r"^[\s\"'`.…:(\-]+", "", text)
    text = text.replace("I", "ı").replace("İ", "i").lower()
    return [TURKISH_ORDER.index(c) if c in TURKISH_ORDER else 100 + ord(c) for c in text]


def split_messages(cell):
    """The messages of a table's first cell: "a", "b" and "a" / "b" are two."""
    parts = re.split(r'(?<=[".])\s*(?:,|/)\s*(?=")', cell.strip())
    return [p.strip() for p in parts if '"' in p or "`" in p]


def page_lines(srcdir):
    """(page, line, section title, anchor) for every line of every page
    outside code blocks, under the section it belongs to."""
    for name in sorted(os.listdir(srcdir)):
        if not name.endswith(".md") or name[:-3] in TOOL_PAGES:
            continue
        taken, section, anchor, fence = set(), None, None, False
        with open(os.path.join(srcdir, name), encoding="utf-8") as fh:
            for line in fh.read().splitlines():
                if line.startswith("```"):
                    fence = not fence
                if fence:
                    continue
                heading = re.match(r"^(#{1,3})\s+(.*?)\s*$", line)
                if heading:
                    section = heading.group(2)
                    anchor = slug(section, taken)
                yield name[:-3], line, section, anchor


def table_messages(srcdir):
    """(message, page, section title, anchor) for each message of the pages'
    message tables, under the section that explains it."""
    entries = []
    lines = list(page_lines(srcdir))
    in_table = False
    for i, (page, line, section, anchor) in enumerate(lines):
        if not line.startswith("|"):
            in_table = False
            continue
        cells = [c.strip() for c in re.split(r"(?<!\\)\|", line)[1:-1]]
        if not in_table:
            following = lines[i + 1][1] if i + 1 < len(lines) else ""
            in_table = following.startswith("|---") and bool(cells) and cells[0] in MESSAGE_COLUMNS
            continue
        if cells and not set(cells[0]) <= set("-: "):
            for message in split_messages(cells[0]):
                entries.append((message, page, section, anchor))
    return entries


# The windows' message boxes: the text a box shows is the first argument.
BOX_CALL = re.compile(
    r"\b(?:MessageBox|ShowMessage|ShowTerminalMessage|Confirm)\(\s*"
    r'QStringLiteral\(((?:\s*"(?:[^"\\]|\\.)*")+)\s*\)')


def box_messages(gui):
    """The fixed texts of the windows' message boxes, a %1 as "..."."""
    texts = set()
    for root, _, files in os.walk(gui):
        for f in sorted(files):
            if f.endswith(".cpp"):
                with open(os.path.join(root, f), encoding="utf-8") as fh:
                    for call in BOX_CALL.finditer(fh.read()):
                        parts = re.findall(r'"((?:[^"\\]|\\.)*)"', call.group(1))
                        text = "".join(parts).replace('\\"', '"')
                        texts.add(re.sub(r"%\d", "...", text))
    return sorted(texts)


def message_index(srcdir, gui, warn):
    by_message = {}
    # A section's title alone, or with its page's where several pages have a
    # section of that title ("Adımlar").
    titles, pages_of = {}, {}
    for page, line, section, _ in page_lines(srcdir):
        titles.setdefault(page, section)
        if section:
            pages_of.setdefault(section, set()).add(page)

    def add(message, page, section, anchor):
        links = by_message.setdefault(message, [])
        shown = section if len(pages_of.get(section, ())) < 2 else f"{titles[page]}: {section}"
        link = f"[{shown}]({page}.md#{anchor})"
        if link not in links:
            links.append(link)

    for entry in table_messages(srcdir):
        add(*entry)
    # Each box text under the sections that quote it; its longest fixed part
    # finds it, as the pages shorten what varies to "...".
    # The pages' paragraphs (and table rows), each on one line, as a quote
    # may run over a line's end.
    paragraphs, current = [], None
    for page, line, section, anchor in page_lines(srcdir) if gui else []:
        if current and (not line.strip() or line.startswith("|") or current[0:3] != [page, section, anchor]):
            paragraphs.append(tuple(current))
            current = None
        if line.strip():
            if current is None:
                current = [page, section, anchor, ""]
            current[3] += " " + line.strip()
            if line.startswith("|"):
                paragraphs.append(tuple(current))
                current = None
    if current:
        paragraphs.append(tuple(current))
    for text in box_messages(gui) if gui else []:
        parts = [p.strip() for p in re.split(r"\.\.\.+", text)]
        key = max(parts, key=len)
        # Quoted whole on the page, or (where a part varies) its longest
        # fixed part anywhere.
        quoted = re.compile('"' + re.escape(key) + '"' if len(parts) == 1 else re.escape(key))
        sections = []
        for page, section, anchor, text_ in paragraphs:
            if quoted.search(text_) and section and (page, section, anchor) not in sections:
                sections.append((page, section, anchor))
        if not sections:
            warn(f"the message box text \"{text}\" of {gui} is explained on no page")
            continue
        shown = '"' + re.sub(r"([\\`*_\[\]<>])", r"\\\1", text) + '"'
        # Already there from a table, where the pages write what varies
        # their own way ("N" for a count).
        if any(shown == m or key in m for m in by_message):
            continue
        for page, section, anchor in sections[:3]:
            add(shown, page, section, anchor)
    out = [""]
    for message in sorted(by_message, key=turkish_key):
        out.append(f"- {message} — {', '.join(by_message[message])}")
    return "\n".join(out) + "\n"


def on_source_read(app, docname, source):
    if docname == root_doc:
        pages = page_order(app.srcdir) + ["genindex"]
        source[0] += "\n```{toctree}\n:hidden:\n\n" + "\n".join(pages) + "\n```\n"
    elif docname == "mesajlar":
        gui = os.environ.get("MERIDOX_GUI_SOURCE", "")
        source[0] += message_index(app.srcdir, gui, lambda text: logger.warning(text, location=docname))


def on_doctree_read(app, doctree):
    # Each section in the index under its own title, pointing at the section.
    for section in doctree.findall(nodes.section):
        if not section["ids"] or not section.children:
            continue
        title = section.children[0].astext()
        entry = addnodes.index(entries=[("single", title, section["ids"][0], "", None)])
        section.insert(1, entry)


def setup(app):
    app.connect("source-read", on_source_read)
    app.connect("doctree-read", on_doctree_read)
    return {"parallel_read_safe": True}
