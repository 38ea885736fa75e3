#!/usr/bin/python3
"""Writes the user's guide as one HTML page that opens with a double-click on every platform.

    guide-to-html.py GUIDE.md OUT.html

The pictures stay beside the page under the names the Markdown gives them; a picture the guide
names but the folder lacks is an error, so the page never ships with a broken image.
"""
import html
import os
import re
import sys

import markdown  # Debian's python3-markdown

STYLE = """
body { font-family: sans-serif; max-width: 52em; margin: 2em auto; padding: 0 1em;
       line-height: 1.45; color: #1b1b1b; }
code, pre { font-family: monospace; background: #f2f2f2; }
pre { padding: 0.6em 0.8em; overflow-x: auto; }
table { border-collapse: collapse; margin: 1em 0; }
th, td { border: 1px solid #c8c8c8; padding: 0.3em 0.6em; text-align: left;
         vertical-align: top; }
img { max-width: 100%; border: 1px solid #c8c8c8; }
"""


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("usage: guide-to-html.py GUIDE.md OUT.html\n")
        return 2
    source, target = argv[1], argv[2]
    with open(source, encoding="utf-8") as file:
        text = file.read()
    folder = os.path.dirname(os.path.abspath(source))
    missing = [name for name in re.findall(r"!\[[^\]]*\]\(([^)\s]+)\)", text)
               if not os.path.isfile(os.path.join(folder, name))]
    if missing:
        sys.stderr.write("guide-to-html.py: %s names missing pictures: %s\n"
                         % (source, ", ".join(missing)))
        return 1
    title_match = re.search(r"^# (.+)$", text, re.MULTILINE)
    title = title_match.group(1) if title_match else "Plotwright"
    body = markdown.markdown(text, extensions=["tables", "fenced_code"], output_format="html")
    page = ("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
            "<title>%s</title>\n<style>%s</style>\n</head>\n<body>\n%s\n</body>\n</html>\n"
            % (html.escape(title), STYLE, body))
    partial = target + ".partial"
    with open(partial, "w", encoding="utf-8", newline="\n") as file:
        file.write(page)
    os.replace(partial, target)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
