#!/usr/bin/env python3
"""Makes the Debian changelog and the AppStream releases from CHANGELOG.md.

    changelog.py version CHANGELOG.md          the newest released version
    changelog.py debian CHANGELOG.md OUT       the Debian changelog (not compressed)
    changelog.py appstream CHANGELOG.md IN OUT the AppStream metadata IN with @RELEASES@ filled

CHANGELOG.md keeps the "Keep a Changelog" form: "## [VERSION] - YYYY-MM-DD" headings, "### Kind"
subheadings and "- " items that may go on over several lines. "[Unreleased]" is left out.
"""

import datetime
import re
import sys
import textwrap
from xml.sax.saxutils import escape

MAINTAINER = "Lingas Ribeira <software@ribeira.example.pt>"
PACKAGE = "pernadas"
REVISION = "1"


def releases(path):
    """[(version, date, [(kind, [item, ...]), ...]), ...], newest first."""
    out = []
    kind = None
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            heading = re.match(r"^## \[([^\]]+)\](?: - (\d{4}-\d{2}-\d{2}))?\s*$", line)
            if heading:
                if heading.group(1) != "Unreleased":
                    if not heading.group(2):
                        raise SystemExit("%s: release %s has no date" % (path, heading.group(1)))
                    out.append((heading.group(1), heading.group(2), []))
                    kind = None
                else:
                    kind = "unreleased"
                continue
            if kind == "unreleased" or not out:
                continue
            sub = re.match(r"^### (.+)$", line)
            if sub:
                kind = sub.group(1).strip()
                out[-1][2].append((kind, []))
            elif line.startswith("- ") and out[-1][2]:
                out[-1][2][-1][1].append(line[2:].strip())
            elif line.startswith("  ") and line.strip() and out[-1][2] and out[-1][2][-1][1]:
                items = out[-1][2][-1][1]
                items[-1] += " " + line.strip()
    if not out:
        raise SystemExit("%s: no release" % path)
    return out


def plain(text):
    """Markdown's inline marks left out."""
    return re.sub(r"`([^`]*)`", r"\1", text)


def debian(path, out_path):
    lines = []
    for version, date, kinds in releases(path):
        lines.append("%s (%s-%s) unstable; urgency=medium" % (PACKAGE, version, REVISION))
        lines.append("")
        for kind, items in kinds:
            for item in items:
                wrapped = textwrap.wrap("%s: %s" % (kind, plain(item)), width=76)
                lines.append("  * " + wrapped[0])
                lines += ["    " + w for w in wrapped[1:]]
        day = datetime.datetime.strptime(date, "%Y-%m-%d").replace(tzinfo=datetime.timezone.utc)
        lines.append("")
        lines.append(" -- %s  %s" % (MAINTAINER, day.strftime("%a, %d %b %Y %H:%M:%S +0000")))
        lines.append("")
    with open(out_path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines))


def appstream(path, template, out_path):
    parts = ["<releases>"]
    for version, date, kinds in releases(path):
        parts.append('    <release version="%s" date="%s">' % (version, date))
        parts.append("      <description>")
        for kind, items in kinds:
            parts.append("        <p>%s:</p>" % escape(kind))
            parts.append("        <ul>")
            parts += ["          <li>%s</li>" % escape(plain(i)) for i in items]
            parts.append("        </ul>")
        parts.append("      </description>")
        parts.append("    </release>")
    parts.append("  </releases>")
    with open(template, encoding="utf-8") as f:
        text = f.read()
    if "@RELEASES@" not in text:
        raise SystemExit("%s has no @RELEASES@" % template)
    with open(out_path, "w", encoding="utf-8") as f:
        f.write(text.replace("@RELEASES@", "\n".join(parts)))


def main(argv):
    if len(argv) == 3 and argv[1] == "version":
        print(releases(argv[2])[0][0])
    elif len(argv) == 4 and argv[1] == "debian":
        debian(argv[2], argv[3])
    elif len(argv) == 5 and argv[1] == "appstream":
        appstream(argv[2], argv[3], argv[4])
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
