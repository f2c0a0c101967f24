#!/usr/bin/env python3
"""Checks the relative links of the Markdown files in an unpacked package.

    check_doc_links.py ROOT

Every link [text](target) of every *.md file under ROOT that is not an
absolute URL must name a file or directory inside ROOT, and a #fragment must
name a heading of the file it points into (GitHub's heading anchors). Code
blocks and code spans are skipped. Prints each dead link and exits 1 if there
is one; prints the number of links checked otherwise.
"""

import os
import re
import sys

LINK = re.compile(r"\]\(\s*<?([^)\s>]+)>?(?:\s+\"[^\"]*\")?\s*\)")
REFERENCE = re.compile(r"^\s{0,3}\[[^\]]+\]:\s*<?(\S+?)>?(?:\s+.*)?$", re.M)
FENCE = re.compile(r"^(```|~~~).*?^\1[^\n]*$", re.M | re.S)
CODE_SPAN = re.compile(r"(`+)(?:(?!\1).)+?\1", re.S)
HEADING = re.compile(r"^#{1,6}\s+(.*?)\s*#*\s*$", re.M)


def prose(text):
    return CODE_SPAN.sub("", FENCE.sub("", text))


def anchors(path):
    """GitHub's anchors of a Markdown file's headings."""
    with open(path, encoding="utf-8") as f:
        text = FENCE.sub("", f.read())
    seen = {}
    result = set()
    for title in HEADING.findall(text):
        title = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", title)
        slug = re.sub(r"[^\w\- ]", "", title.lower().replace("`", "")).replace(" ", "-")
        n = seen.get(slug, 0)
        seen[slug] = n + 1
        result.add(slug if n == 0 else f"{slug}-{n}")
    return result


def main(root):
    root = os.path.realpath(root)
    dead = []
    checked = 0
    for directory, _, files in os.walk(root):
        for name in sorted(files):
            if not name.endswith(".md"):
                continue
            source = os.path.join(directory, name)
            with open(source, encoding="utf-8") as f:
                text = prose(f.read())
            for target in LINK.findall(text) + REFERENCE.findall(text):
                if re.match(r"^[a-zA-Z][a-zA-Z0-9+.-]*:", target):
                    continue  # https:, mailto: and the like
                checked += 1
                path, _, fragment = target.partition("#")
                resolved = os.path.realpath(os.path.join(directory, path)) if path else source
                where = os.path.relpath(source, root)
                if resolved != root and not resolved.startswith(root + os.sep):
                    dead.append(f"{where}: {target} leaves the package")
                elif not os.path.exists(resolved):
                    dead.append(f"{where}: {target} is not in the package")
                elif fragment and resolved.endswith(".md") and fragment not in anchors(resolved):
                    dead.append(f"{where}: {target} names no heading of {os.path.relpath(resolved, root)}")
    for line in dead:
        print(f"dead link: {line}")
    if dead:
        return 1
    print(f"{checked} relative links resolve")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
