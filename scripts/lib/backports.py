#!/usr/bin/env python3
"""Prints the apt source of CODENAME-backports as a deb822 stanza, made from the source the
machine already has for CODENAME (in APT-DIR): the same archive, with the same signing key.
Fails, saying so, where there is none.

  backports.py CODENAME APT-DIR
"""
import re
import sys
from pathlib import Path


def from_stanzas(codename, text):
    """The first enabled stanza of type deb whose suites name CODENAME."""
    for stanza in re.split(r"\n\s*\n", text):
        fields, key = {}, None
        for line in stanza.splitlines():
            if line.startswith("#"):
                continue
            if line[:1] in " \t" and key:
                fields[key] += "\n" + line
            elif ":" in line:
                key, value = line.split(":", 1)
                key = key.strip().lower()
                fields[key] = value.strip()
        if fields.get("enabled", "yes").lower() != "no" and "deb" in fields.get("types", "").split() \
                and codename in fields.get("suites", "").split():
            return fields.get("uris"), fields.get("signed-by")
    return None


def from_lines(codename, text):
    """The first line `deb [OPTION...] URI CODENAME COMPONENT...`."""
    for line in text.splitlines():
        match = re.match(r"deb\s+(?:\[([^\]]*)\]\s+)?(\S+)\s+(\S+)", line)
        if match and match.group(3) == codename:
            key = re.search(r"signed-by=(\S+)", match.group(1) or "")
            return match.group(2), key and key.group(1)
    return None


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    codename, apt = sys.argv[1], Path(sys.argv[2])
    found = None
    for path in sorted(apt.glob("sources.list.d/*.sources")):
        found = found or from_stanzas(codename, path.read_text())
    for path in [apt / "sources.list", *sorted(apt.glob("sources.list.d/*.list"))]:
        if path.is_file():
            found = found or from_lines(codename, path.read_text())
    if not found:
        sys.exit(f"backports: no apt source for {codename} in {apt} to take its backports' from")
    uris, signed = found
    print(f"Types: deb\nURIs: {uris}\nSuites: {codename}-backports\nComponents: main")
    if signed:
        print("Signed-By:" + ("" if signed.startswith("\n") else " ") + signed)


if __name__ == "__main__":
    main()
