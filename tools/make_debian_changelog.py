#!/usr/bin/env python3
"""Write the packages' Debian changelog from the releases in the AppStream
data, so that the releases are written down once: an entry for each release
from the newest back to the first one packaged (--first).

  python3 tools/make_debian_changelog.py --package morvexa --revision 1 --first 0.2.0 \\
      --maintainer 'Name <address>' -o changelog.Debian org.example.Morvexa.metainfo.xml
"""
import argparse
import datetime
import email.utils
import textwrap
import xml.etree.ElementTree as ET


def entries(metainfo):
    """(version, date, [change]) for each release, as the file lists them."""
    for release in ET.parse(metainfo).getroot().iterfind("releases/release"):
        changes = [" ".join("".join(item.itertext()).split()) for item in release.iterfind("description/ul/li")]
        yield release.get("version"), datetime.date.fromisoformat(release.get("date")), changes


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("metainfo")
    parser.add_argument("--package", required=True, help="the source package's name")
    parser.add_argument("--revision", required=True, help="the Debian revision of the packages: 1 for 0.2.0-1")
    parser.add_argument("--first", required=True, help="the first version packaged")
    parser.add_argument("--maintainer", required=True)
    parser.add_argument("-o", "--output", required=True)
    args = parser.parse_args()

    out = []
    for version, date, changes in entries(args.metainfo):
        noon = datetime.datetime.combine(date, datetime.time(12), datetime.timezone.utc)
        out.append(f"{args.package} ({version}-{args.revision}) unstable; urgency=medium\n")
        for change in changes or ["New release."]:
            out.append(textwrap.fill(change, 78, initial_indent="  * ", subsequent_indent="    "))
        out.append(f"\n -- {args.maintainer}  {email.utils.format_datetime(noon)}\n")
        if version == args.first:
            break
    else:
        raise SystemExit(f"{args.metainfo} lists no release {args.first}")
    with open(args.output, "w", encoding="utf-8") as f:
        f.write("\n".join(out))


if __name__ == "__main__":
    main()
