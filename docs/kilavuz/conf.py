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
#   messages, so it follows the pages.
import os
import re

from docutils import nodes
from sphinx import addnodes

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


def message_entries(srcdir):
    """(message, page, section title, anchor) for each message of the pages'
    message tables, under the section that explains it."""
    entries = []
    for name in sorted(os.listdir(srcdir)):
        if not name.endswith(".md") or name[:-3] in TOOL_PAGES:
            continue
        page = name[:-3]
        taken, section, anchor, in_table = set(), None, None, False
        with open(os.path.join(srcdir, name), encoding="utf-8") as fh:
            lines = fh.read().splitlines()
        fence = False
        for i, line in enumerate(lines):
            if line.startswith("```"):
                fence = not fence
            if fence:
                continue
            heading = re.match(r"^(#{1,3})\s+(.*?)\s*$", line)
            if heading:
                section = heading.group(2)
                anchor = slug(section, taken)
                in_table = False
                continue
            if not line.startswith("|"):
                in_table = False
                continue
            cells = [c.strip() for c in re.split(r"(?<!\\)\|", line)[1:-1]]
            if not in_table:
                following = lines[i + 1] if i + 1 < len(lines) else ""
                if following.startswith("|---") and cells and cells[0] in MESSAGE_COLUMNS:
                    in_table = True
                continue
            if cells and not set(cells[0]) <= set("-: "):
                for message in split_messages(cells[0]):
                    entries.append((message, page, section, anchor))
    return entries


def message_index(srcdir):
    by_message = {}
    for message, page, section, anchor in message_entries(srcdir):
        links = by_message.setdefault(message, [])
        link = f"[{section}]({page}.md#{anchor})"
        if link not in links:
            links.append(link)
    lines = [""]
    for message in sorted(by_message, key=turkish_key):
        lines.append(f"- {message} — {', '.join(by_message[message])}")
    return "\n".join(lines) + "\n"


def on_source_read(app, docname, source):
    if docname == root_doc:
        pages = page_order(app.srcdir) + ["genindex"]
        source[0] += "\n```{toctree}\n:hidden:\n\n" + "\n".join(pages) + "\n```\n"
    elif docname == "mesajlar":
        source[0] += message_index(app.srcdir)


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
