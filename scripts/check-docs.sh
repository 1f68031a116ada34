#!/usr/bin/env bash
# Checks the documentation that ships with the program: the manual pages
# format without a groff warning, and the operator's guide is one
# self-contained HTML file (no script, no stylesheet, picture or font from
# elsewhere) whose internal links all lead somewhere. When BUILD_FOLDER is
# given, the options each program's --help lists must be the ones its
# manual page describes.
#
#   scripts/check-docs.sh [BUILD_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-}
failed=0

for tool in groff python3; do
    if ! command -v "$tool" >/dev/null; then
        echo "check-docs: $tool is missing (scripts/deps.sh installs it)" >&2
        exit 1
    fi
done

for page in doc/tolvane.1 doc/tolvane-sim.1; do
    echo "groff -man -ww $page"
    report=$(LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z "$page" 2>&1) || failed=1
    if [ -n "$report" ]; then
        echo "$report"
        failed=1
    fi
done

echo "doc/guide.html: self-contained, every internal link has its target"
python3 -I - doc/guide.html <<'EOF' || failed=1
import re, sys
from html.parser import HTMLParser

path = sys.argv[1]
text = open(path, encoding="utf-8").read()
faults = []

class Guide(HTMLParser):
    def __init__(self):
        super().__init__()
        self.ids = set()
        self.links = []

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if "id" in attrs:
            if attrs["id"] in self.ids:
                faults.append(f"id {attrs['id']!r} is used twice")
            self.ids.add(attrs["id"])
        if tag in ("script", "iframe", "object", "embed", "img", "link", "source", "video", "audio"):
            faults.append(f"<{tag}> at line {self.getpos()[0]}: the guide must not load anything")
        for name in ("src", "href", "xlink:href", "srcset", "data"):
            value = attrs.get(name)
            if value is None:
                continue
            if value.startswith("#"):
                self.links.append((value[1:], self.getpos()[0]))
            elif tag == "a" and name == "href" and value.startswith(("https://", "http://", "mailto:")):
                continue  # a link the reader may follow, not a resource
            else:
                faults.append(f"{name}={value!r} at line {self.getpos()[0]}: not inside the guide")

    handle_startendtag = handle_starttag

guide = Guide()
guide.feed(text)
for target, line in guide.links:
    if target not in guide.ids:
        faults.append(f"link to #{target} at line {line} has no target")
for pattern in (r"url\(", r"@import"):
    for m in re.finditer(pattern, text):
        faults.append(f"{pattern} at line {text.count(chr(10), 0, m.start()) + 1}: the guide must not load anything")
for fault in faults:
    print("  " + fault)
sys.exit(1 if faults else 0)
EOF

# The options a program's --help prints, against the options its page lists.
# It runs in a scratch folder with a time limit, so that a program that does
# not know --help yet neither writes into the checkout nor hangs the check.
options_of_help() {
    local scratch
    scratch=$(mktemp -d)
    (cd "$scratch" || exit 0; timeout 10 "$1" --help </dev/null 2>&1) |
        grep -oE -- '--[a-z][a-z-]*' | sort -u
    rm -rf "$scratch"
}
options_of_page() {
    LC_ALL=C.UTF-8 groff -man -Tutf8 -P-cbou "$1" 2>/dev/null |
        awk '/^[A-Z]/ { in_options = ($0 == "OPTIONS") } in_options' |
        grep -oE -- '--[a-z][a-z-]*' | sort -u
}
if [ -n "$build" ]; then
    for program in tolvane tolvane-sim; do
        echo "options of $build/$program --help against doc/$program.1"
        if [ ! -x "$build/$program" ]; then
            echo "  $build/$program is missing"
            failed=1
            continue
        fi
        # The program runs in a scratch folder: by its absolute path.
        help=$(QT_QPA_PLATFORM=offscreen options_of_help "$(cd "$build" && pwd)/$program" || true)
        page=$(options_of_page "doc/$program.1")
        if [ "$help" != "$page" ]; then
            { diff <(echo "$help") <(echo "$page") || true; } |
                sed -n 's/^< \(..*\)/  only in --help: \1/p; s/^> \(..*\)/  only in the page: \1/p'
            failed=1
        fi
    done
fi

if [ "$failed" -ne 0 ]; then
    echo "check-docs: FAILED" >&2
    exit 1
fi
echo "check-docs: the manual pages and the guide are in order"
