#!/usr/bin/env python3
"""Renders the user's guide: Markdown to one self-contained HTML file.

    render.py guia.md out.html

The pictures the Markdown names (the screenshots in docs/) are embedded in the
page, so the installed guide is a single file that opens anywhere, and a
rebuild picks up pictures that were taken again. A missing picture stops the
build: a guide with holes must not ship.
"""
import base64
import html
import pathlib
import re
import sys

import markdown

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


def render(source, target):
    text = source.read_text(encoding="utf-8")
    title = next((line[2:].strip() for line in text.splitlines() if line.startswith("# ")), "Guia")
    converter = markdown.Markdown(extensions=["tables", "toc", "attr_list"],
                                  extension_configs={"toc": {"title": "Conteúdo", "toc_depth": "2-2"}})
    body = embed_images(converter.convert(text), source.parent)
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
