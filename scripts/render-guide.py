#!/usr/bin/python3
"""Renders the operator's guide to HTML.

    render-guide.py SRC_DIR PICTURES_DIR OUT_DIR

SRC_DIR holds the Markdown pages (index.md first) and the stylesheet
kilavuz.css; PICTURES_DIR holds the pictures the pages show as
resimler/NAME. OUT_DIR gets index.html and one .html per page, the
stylesheet, and the pictures the pages show in resimler/. Every page carries
the guide's page list in index.md's order and a table of contents of its own
headings; links to x.md and x.md#anchor become x.html and x.html#anchor.

A link to a missing page, heading or picture fails the run and names the
page and the target; so does a page that index.md does not list. The guide
is made in a new folder beside OUT_DIR and put in place only when complete,
so OUT_DIR holds the old guide or the new one, never a part. The same input
gives the same bytes.

Runs with Debian's python3 and python3-markdown (scripts/install-deps.sh).
"""

import html
import os
import re
import shutil
import sys
import tempfile
from urllib.parse import unquote, urlsplit

try:
    import markdown
    from markdown.extensions import Extension
    from markdown.treeprocessors import Treeprocessor
except ImportError:
    sys.exit(
        "render-guide.py: the Markdown module is missing; install Debian's "
        "python3-markdown (scripts/install-deps.sh) and run this with /usr/bin/python3"
    )

TITLE = "Meridox Kullanım Kılavuzu"
STYLESHEET = "kilavuz.css"
PICTURES = "resimler"

# A heading's anchor as MyST makes it, so that the pages' links to sections
# hold under either renderer: lower case, Turkish letters kept, punctuation
# dropped, each blank a separator ("Kayıtları almak" gets
# "kayıtları-almak").
def slugify(value, separator):
    return re.sub(r"[^\w\- ]", "", value.strip().lower()).replace(" ", separator)


class GuideError(Exception):
    pass


class LinkRewriter(Treeprocessor):
    """Turns page links into .html links and records every local target.

    Targets are only recorded here; they are checked once every page is
    rendered, since a link may point to a heading of a page not yet seen.
    The ids are read from the tree after the table of contents has set
    them on the headings, so a heading left out of it still counts.
    """

    def __init__(self, md, page):
        super().__init__(md)
        self.page = page

    def run(self, root):
        for el in root.iter():
            if el.get("id"):
                self.page.ids.add(el.get("id"))
            if el.tag == "h1" and not self.page.title:
                self.page.title = "".join(el.itertext()).strip()
            if el.tag == "a" and el.get("href") is not None:
                el.set("href", self.page.link(el.get("href"), "".join(el.itertext())))
            elif el.tag == "img" and el.get("src") is not None:
                self.page.picture(el.get("src"))


class GuideLinks(Extension):
    def __init__(self, page):
        super().__init__()
        self.page = page

    def extendMarkdown(self, md):
        # After the table of contents (priority 5) has given the headings
        # their ids.
        md.treeprocessors.register(LinkRewriter(md, self.page), "guide_links", 4)


def is_local(url):
    parts = urlsplit(url)
    return not parts.scheme and not parts.netloc


class Page:
    def __init__(self, name):
        self.name = name  # "kurulum.md"
        self.links = []  # (target page, anchor or "", text)
        self.pictures = []  # names under resimler/
        self.ids = set()
        self.title = ""
        self.body = ""
        self.toc = ""

    @property
    def html_name(self):
        return self.name[:-3] + ".html"

    def link(self, href, text):
        if not is_local(href):
            return href
        parts = urlsplit(href)
        path = unquote(parts.path)
        if not path:  # "#anchor" on the same page
            self.links.append((self.name, parts.fragment, text))
            return href
        if path.endswith(".md") and "/" not in path:
            self.links.append((path, parts.fragment, text))
            return path[:-3] + ".html" + ("#" + parts.fragment if parts.fragment else "")
        if path.startswith(PICTURES + "/"):
            self.picture(path)
            return href
        raise GuideError(f"{self.name}: link to {href}: neither a page of the guide nor a picture")

    def picture(self, src):
        path = unquote(urlsplit(src).path)
        if not is_local(src) or not path.startswith(PICTURES + "/") or ".." in path.split("/"):
            raise GuideError(f"{self.name}: picture {src}: pictures are shown from {PICTURES}/")
        self.pictures.append(path[len(PICTURES) + 1 :])


def render_page(src_dir, name):
    page = Page(name)
    md = markdown.Markdown(
        extensions=[
            "tables",
            "sane_lists",
            "toc",
            GuideLinks(page),
        ],
        extension_configs={"toc": {"slugify": slugify, "toc_depth": "2-3"}},
        output_format="html",
    )
    try:
        with open(os.path.join(src_dir, name), encoding="utf-8") as f:
            text = f.read()
    except (OSError, UnicodeDecodeError) as e:
        raise GuideError(f"{name}: cannot be read: {e}") from e
    page.body = md.convert(text)
    page.toc = md.toc if md.toc_tokens else ""
    if not page.title:
        raise GuideError(f"{name}: no title (a first-level heading)")
    return page


def page_order(index):
    """The pages in the order index.md lists them, with the link texts."""
    order = [("index.md", TITLE)]
    seen = {"index.md"}
    for target, _, text in index.links:
        if target not in seen:
            seen.add(target)
            order.append((target, text.strip()))
    return order


def check(pages, pictures_dir):
    for page in pages.values():
        for target, anchor, _ in page.links:
            if target not in pages:
                raise GuideError(f"{page.name}: link to {target}: no such page")
            if anchor and anchor not in pages[target].ids:
                raise GuideError(f"{page.name}: link to {target}#{anchor}: no such heading there")
        for pic in page.pictures:
            if not os.path.isfile(os.path.join(pictures_dir, pic)):
                raise GuideError(
                    f"{page.name}: picture {PICTURES}/{pic}: not in {pictures_dir}"
                )


def navigation(order, pages, current):
    items = []
    for name, text in order[1:]:
        here = ' aria-current="page"' if name == current else ""
        items.append(
            f'<li><a href="{html.escape(pages[name].html_name)}"{here}>{html.escape(text)}</a></li>'
        )
    here = ' aria-current="page"' if current == "index.md" else ""
    return (
        '<nav class="sayfalar" aria-label="Kılavuzun sayfaları">\n'
        f'<p><a href="index.html"{here}>{html.escape(TITLE)}</a></p>\n'
        "<ol>\n" + "\n".join(items) + "\n</ol>\n</nav>"
    )


def document(order, pages, page):
    title = TITLE if page.name == "index.md" else f"{page.title} - {TITLE}"
    # The page's contents go under its title.
    head, sep, rest = page.body.partition("</h1>\n")
    if not sep or not head.startswith("<h1"):
        head, rest = "", page.body
    else:
        head += sep
    toc = ""
    if page.toc:
        toc = (
            '<nav class="icindekiler" aria-label="Bu sayfada">\n'
            "<p>Bu sayfada</p>\n" + page.toc.strip() + "\n</nav>\n"
        )
    return (
        "<!DOCTYPE html>\n"
        '<html lang="tr">\n'
        "<head>\n"
        '<meta charset="utf-8">\n'
        '<meta name="viewport" content="width=device-width, initial-scale=1">\n'
        f"<title>{html.escape(title)}</title>\n"
        f'<link rel="stylesheet" href="{STYLESHEET}">\n'
        "</head>\n"
        "<body>\n"
        f"{navigation(order, pages, page.name)}\n"
        "<main>\n"
        f"{head}{toc}{rest}\n"
        "</main>\n"
        "</body>\n"
        "</html>\n"
    )


def write(path, text):
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


def render(src_dir, pictures_dir, out_dir):
    names = sorted(n for n in os.listdir(src_dir) if n.endswith(".md"))
    if "index.md" not in names:
        raise GuideError(f"{src_dir}: no index.md")
    if not os.path.isfile(os.path.join(src_dir, STYLESHEET)):
        raise GuideError(f"{src_dir}: no {STYLESHEET}")
    pages = {n: render_page(src_dir, n) for n in names}
    check(pages, pictures_dir)
    order = page_order(pages["index.md"])
    listed = {n for n, _ in order}
    for n in names:
        if n not in listed:
            raise GuideError(f"index.md: does not list the page {n}")

    parent = os.path.dirname(os.path.abspath(out_dir))
    os.makedirs(parent, exist_ok=True)
    work = tempfile.mkdtemp(prefix=".kilavuz-", dir=parent)
    try:
        # mkdtemp's folder is private; the guide is for everyone to read.
        umask = os.umask(0)
        os.umask(umask)
        os.chmod(work, 0o777 & ~umask)
        for page in pages.values():
            write(os.path.join(work, page.html_name), document(order, pages, page))
        shutil.copyfile(os.path.join(src_dir, STYLESHEET), os.path.join(work, STYLESHEET))
        shown = sorted({pic for page in pages.values() for pic in page.pictures})
        for pic in shown:
            dest = os.path.join(work, PICTURES, pic)
            os.makedirs(os.path.dirname(dest), exist_ok=True)
            shutil.copyfile(os.path.join(pictures_dir, pic), dest)
        replace(work, out_dir)
    except BaseException:
        shutil.rmtree(work, ignore_errors=True)
        raise


def replace(work, out_dir):
    """Puts the finished guide in out_dir's place."""
    if os.path.lexists(out_dir):
        if not os.path.isdir(out_dir) or (
            os.listdir(out_dir) and not os.path.isfile(os.path.join(out_dir, "index.html"))
        ):
            raise GuideError(f"{out_dir}: exists and is not a guide; not replaced")
        old = work + ".old"
        os.rename(out_dir, old)
        os.rename(work, out_dir)
        shutil.rmtree(old)
    else:
        os.rename(work, out_dir)


def main(argv):
    if len(argv) != 4:
        sys.exit("usage: render-guide.py SRC_DIR PICTURES_DIR OUT_DIR")
    try:
        render(argv[1], argv[2], argv[3])
    except GuideError as e:
        sys.exit(f"render-guide.py: {e}")
    except OSError as e:
        sys.exit(f"render-guide.py: {e}")


if __name__ == "__main__":
    main(sys.argv)
