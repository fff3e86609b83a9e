#!/usr/bin/env python3
"""Renders the user's guide: Markdown to one self-contained HTML file.

    render.py guia.md out.html

The pictures the Markdown names (the screenshots in docs/) are embedded in the
page, so the installed guide is a single file that opens anywhere, and a
rebuild picks up pictures that were taken again. A missing picture stops the
build: a guide with holes must not ship. The table of contents is added here,
before the first section, so the Markdown read as it is carries no marker for
it; headings keep their accents in their anchors, as Markdown viewers make
them, so the guide's own links work in both.
"""
import base64
import html
import pathlib
import re
import sys

import markdown
from markdown.extensions.toc import slugify_unicode

IMAGE = re.compile(r'(<img\b[^>]*\bsrc=")([^"]+)(")')


def embed_images(body, base):
    def inline(match):
        source = match.group(2)
        if source.startswith("data:"):
            return match.group(0)
        path = (base / html.unescape(source)).resolve()
        if not path.is_file():
            raise SystemExit(f"render.py: picture not found: {path}")
        kind = {".png": "image/png", ".jpg": "image/jpeg", ".gif": "image/gif"}.get(path.suffix.lower())
        if kind is None:
            raise SystemExit(f"render.py: not a picture: {path}")
        data = base64.b64encode(path.read_bytes()).decode("ascii")
        return f"{match.group(1)}data:{kind};base64,{data}{match.group(3)}"

    return IMAGE.sub(inline, body)


def with_contents(body, contents):
    first = body.find("<h2")
    return body if first < 0 else body[:first] + contents + "\n" + body[first:]


def render(source, target):
    text = source.read_text(encoding="utf-8")
    title = next((line[2:].strip() for line in text.splitlines() if line.startswith("# ")), "Guia")
    converter = markdown.Markdown(extensions=["tables", "toc", "attr_list"],
                                  extension_configs={"toc": {"title": "Conteúdo", "toc_depth": "2-2",
                                                             "slugify": slugify_unicode}})
    body = with_contents(converter.convert(text), converter.toc)
    body = embed_images(body, source.parent)
    style = (source.parent / "guia.css").read_text(encoding="utf-8")
    page = (
        "<!DOCTYPE html>\n"
        '<html lang="pt-BR">\n<head>\n<meta charset="utf-8">\n'
        '<meta name="viewport" content="width=device-width, initial-scale=1">\n'
        f"<title>{html.escape(title)}</title>\n<style>\n{style}</style>\n</head>\n"
        f"<body>\n<main>\n{body}\n</main>\n</body>\n</html>\n"
    )
    target.parent.mkdir(parents=True, exist_ok=True)
    temporary = target.with_suffix(".tmp")
    temporary.write_text(page, encoding="utf-8")
    temporary.replace(target)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        raise SystemExit("usage: render.py guia.md out.html")
    render(pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2]))
