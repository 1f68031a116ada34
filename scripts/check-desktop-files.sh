#!/usr/bin/env bash
# Checks what the desktop sees of the program: the desktop entry with
# desktop-file-validate, the AppStream metainfo with appstreamcli (no
# network), and that the two, the icon and the screenshot agree with each
# other. Exits non-zero on the first kind of fault, after printing all of
# that kind. CI runs it; scripts/deps.sh installs the tools.
set -euo pipefail
cd "$(dirname "$0")/.."

desktop=data/tolvane.desktop
metainfo=data/org.tolvane.Panel.metainfo.xml
failed=0

for tool in desktop-file-validate appstreamcli python3; do
    if ! command -v "$tool" >/dev/null; then
        echo "check-desktop-files: $tool is missing (scripts/deps.sh installs it)" >&2
        exit 1
    fi
done

# desktop-file-validate exits 0 on warnings; a warning counts as a fault here.
echo "desktop-file-validate $desktop"
report=$(desktop-file-validate --no-hints "$desktop" 2>&1) || failed=1
if [ -n "$report" ]; then
    echo "$report"
    failed=1
fi

# --strict fails on every issue above the pedantic hints.
echo "appstreamcli validate --no-net --strict $metainfo"
appstreamcli validate --no-net --strict "$metainfo" || failed=1

# The files name each other; a rename on one side alone breaks the menu
# entry, the software centre's page or the icon.
echo "cross-checks of $desktop, $metainfo, the icon and the screenshot"
python3 -I - "$desktop" "$metainfo" <<'EOF' || failed=1
import os, struct, sys
import xml.etree.ElementTree as ET

desktop_path, metainfo_path = sys.argv[1], sys.argv[2]
faults = []

entry = {}
group = None
with open(desktop_path, encoding="utf-8") as f:
    for line in f:
        line = line.rstrip("\n")
        if line.startswith("[") and line.endswith("]"):
            group = line[1:-1]
        elif group == "Desktop Entry" and "=" in line and not line.startswith("#"):
            key, value = line.split("=", 1)
            entry[key] = value

meta = ET.parse(metainfo_path).getroot()
def text(path):
    node = meta.find(path)
    return node.text.strip() if node is not None and node.text else ""

launchable = text("launchable[@type='desktop-id']")
if launchable != os.path.basename(desktop_path):
    faults.append(f"metainfo launchable {launchable!r} is not {os.path.basename(desktop_path)!r}")

if entry.get("Name") != text("name"):
    faults.append(f"desktop Name {entry.get('Name')!r} differs from metainfo name {text('name')!r}")

icon = entry.get("Icon", "")
stock_icon = text("icon[@type='stock']")
if stock_icon != icon:
    faults.append(f"metainfo icon {stock_icon!r} differs from desktop Icon {icon!r}")
svg_path = os.path.join(os.path.dirname(desktop_path), icon + ".svg")
try:
    svg = ET.parse(svg_path).getroot()
    if svg.tag != "{http://www.w3.org/2000/svg}svg":
        faults.append(f"{svg_path}: the root element is not an SVG one")
    box = svg.get("viewBox", "").split()
    if len(box) != 4 or box[2] != box[3]:
        faults.append(f"{svg_path}: an icon needs a square viewBox, not {svg.get('viewBox')!r}")
except (OSError, ET.ParseError) as e:
    faults.append(f"{svg_path}: {e}")

program = entry.get("Exec", "").split()[0] if entry.get("Exec") else ""
binaries = [b.text for b in meta.findall("provides/binary")]
if program not in binaries:
    faults.append(f"desktop Exec runs {program!r}, which the metainfo does not provide ({binaries})")
if entry.get("TryExec", program) != program:
    faults.append(f"TryExec {entry.get('TryExec')!r} differs from the program of Exec {program!r}")

for image in meta.findall("screenshots/screenshot/image"):
    url = (image.text or "").strip()
    if not url.endswith("/doc/screenshot.png"):
        faults.append(f"screenshot {url!r} is not the repository's doc/screenshot.png")
        continue
    try:
        with open("doc/screenshot.png", "rb") as f:
            head = f.read(24)
    except OSError as e:
        faults.append(f"doc/screenshot.png: {e} (scripts/screenshot.sh makes it)")
        continue
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        faults.append("doc/screenshot.png is not a PNG picture")
        continue
    width, height = struct.unpack(">II", head[16:24])
    if image.get("width") != str(width) or image.get("height") != str(height):
        faults.append(f"screenshot size {image.get('width')}x{image.get('height')} in the metainfo, "
                      f"{width}x{height} in doc/screenshot.png")

for fault in faults:
    print("  " + fault)
sys.exit(1 if faults else 0)
EOF

if [ "$failed" -ne 0 ]; then
    echo "check-desktop-files: FAILED" >&2
    exit 1
fi
echo "check-desktop-files: the desktop entry, the metainfo, the icon and the screenshot agree"
