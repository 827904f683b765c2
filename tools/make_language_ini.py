#!/usr/bin/env python3
"""Writes a UTF-8 text file as UTF-16LE with a byte-order mark and CR LF line
ends: make_language_ini.py SOURCE TARGET."""
import sys


def main():
    source, target = sys.argv[1], sys.argv[2]
    with open(source, encoding="utf-8") as f:
        text = f.read()
    lines = text.splitlines()
    data = "\r\n".join(lines) + "\r\n"
    with open(target, "wb") as f:
        f.write(b"\xff\xfe" + data.encode("utf-16-le"))


if __name__ == "__main__":
    main()
