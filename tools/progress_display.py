#!/usr/bin/env python3
"""Shows velquor-pipeline.exe's status lines ("code<TAB>value<TAB>text") as a
person would see the wizard: one progress bar that the download fills up to
the download share and the installation fills the rest, plus the milestones.
Exits with 0 when the run ended with 2003, 1 otherwise; prints the facts the
package reported at the end."""
import sys

SCALE = float(sys.argv[1]) if len(sys.argv) > 1 and sys.argv[1] else 0.7
WIDTH = 40
NAMES = {
    1001: "download started", 1003: "download finished", 1004: "download failed",
    1005: "download restarted", 1006: "download notice", 2001: "installing",
    2003: "installed", 2004: "installation failed", 5002: "removing the previous version",
    5003: "previous version removed", 5004: "previous version cannot be removed",
    5005: "previous version removal failed",
}
FACTS = {3000: "install folder", 3001: "program", 3002: "uninstaller", 3003: "uninstall entry",
         3004: "start page", 3009: "message"}

fraction = 0.0
facts = {}
result = None
last_milestone = None


def bar(text):
    filled = int(round(fraction * WIDTH))
    sys.stdout.write("\r[%s%s] %3d%%  %-34s" % ("#" * filled, "." * (WIDTH - filled), round(fraction * 100), text))
    sys.stdout.flush()


for raw in sys.stdin:
    parts = raw.rstrip("\n").split("\t", 2)
    if len(parts) < 2:
        continue
    try:
        code, value = int(parts[0]), float(parts[1])
    except ValueError:
        continue
    text = parts[2].rstrip("\r") if len(parts) > 2 else ""
    if code == 1002:
        fraction = max(fraction, min(1.0, value) * SCALE)
    elif code == 1003:
        fraction = max(fraction, SCALE)
    elif code == 2002:
        fraction = max(fraction, SCALE + min(1.0, value) * (1.0 - SCALE))
    elif code == 2003:
        fraction = 1.0
    if code in FACTS and text:
        facts[FACTS[code]] = text
    if code in NAMES:
        label = NAMES[code] + (": %s" % text if code in (1004, 1006, 2004, 5004, 5005) and text else "")
        if code in (1004, 2004, 5004, 5005):
            label += " (code %g)" % value
        if last_milestone is not None:
            sys.stdout.write("\n")
        last_milestone = label
        bar(label)
    else:
        bar(last_milestone or "")
    if code == 2003:
        result = 0
    elif code in (1004, 2004, 5004, 5005):
        result = 1

sys.stdout.write("\n")
for name, value in facts.items():
    print("  %-16s %s" % (name + ":", value))
sys.exit(0 if result == 0 else 1)
