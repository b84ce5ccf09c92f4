#!/usr/bin/env bash
# Makes the archive readers' test archives from the sample doll in samples/pip. Needs jlha (Debian's
# jlha-utils, with a Java runtime), zip and python3; the tests use the archives committed here and
# need none of them.
#   pip-lh5-level0.lzh  jlha, lh5, header level 0: folder pip/ and the doll's files, "pip\pip.cnf"
#   pip-lh5-level1.lzh  jlha, lh5, level 1: the same in capitals, "PIP/PIP.CNF" (os type 0)
#   pip-lh5-level2.lzh  jlha, lh5, level 2: as level 0
#   pip-lh0.lzh         our own writer, stored (-lh0-), level 0: the doll's files but back.cel
#   bad-crc.lzh         pip-lh0.lzh with a byte of body.cel's data flipped
#   sjis-5c.lzh         our own writer, stored, names in Shift-JIS: hat.cel as "表\表.CEL" at level
#                       0, hair.cel as folder "表" and file "表x.CEL" at level 2, pip.kcf as "表"
#                       and "表y.CEL" at level 3 (表 is 0x95 0x5C: its trail byte is no separator)
#   pip.zip             zip: folder pip/ and the doll's files
#   sjis-utf8.zip       hat.cel as "表.CEL" in Shift-JIS, not marked UTF-8 (stored), and hair.cel
#                       as "あ\表.cel" marked UTF-8 (deflated; read as Shift-JIS, "あ" would hide
#                       the separator)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
doll="$here/../pip"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export TZ=UTC LC_ALL=C

mkdir "$work/pip" "$work/PIP"
for f in "$doll"/*; do
  name="$(basename "$f")"
  cp "$f" "$work/pip/$name"
  cp "$f" "$work/PIP/$(echo "$name" | tr a-z A-Z)"
done
touch -d 2024-01-01T00:00:00 "$work"/pip "$work"/PIP "$work"/pip/* "$work"/PIP/*

(cd "$work" && for level in 0 1 2; do
  folder=pip
  [ "$level" = 1 ] && folder=PIP
  rm -f "$here/pip-lh5-level$level.lzh"
  jlha "c${level}o5q" "$here/pip-lh5-level$level.lzh" "$folder" >/dev/null
done)
(cd "$work" && rm -f "$here/pip.zip" && zip -qrX "$here/pip.zip" pip)

python3 - "$doll" "$here" <<'PY'
import os, sys, zipfile

doll, here = sys.argv[1:]
def read(name):
    return open(os.path.join(doll, name), "rb").read()

def crc16(data):
    crc = 0
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = crc >> 1 ^ 0xA001 if crc & 1 else crc >> 1
    return crc

# Stored members with level 0 headers (the name at 22, "\\" between folders), or level 2 or 3 ones
# (extended headers, sized in 2 or 4 bytes: the file name, type 1, and the folder, type 2, here
# without the closing 0xFF most writers put), then the end mark.
def level0(name, data):
    h = b"-lh0-" + len(data).to_bytes(4, "little") * 2 + (0x58210000).to_bytes(4, "little")
    h += bytes([0x20, 0, len(name)]) + name + crc16(data).to_bytes(2, "little")
    return bytes([len(h), sum(h) & 0xFF]) + h + data

def level23(level, folder, name, data):
    width = level * 2 - 2
    ext = b"".join((len(v) + 1 + width).to_bytes(width, "little") + bytes([t]) + v for t, v in ((1, name), (2, folder)))
    h = b"-lh0-" + len(data).to_bytes(4, "little") * 2 + (1704067200).to_bytes(4, "little")
    h += bytes([0x20, level]) + crc16(data).to_bytes(2, "little") + b"M"
    if level == 2:
        return (24 + len(ext) + 2).to_bytes(2, "little") + h + ext + b"\0\0" + data
    return b"\4\0" + h + (28 + len(ext) + 4).to_bytes(4, "little") + ext + b"\0" * 4 + data

names = ["pip.cnf"] + sorted(n for n in os.listdir(doll) if n not in ("pip.cnf", "back.cel"))
pip = b"".join(level0(n.encode(), read(n)) for n in names) + b"\0"
open(os.path.join(here, "pip-lh0.lzh"), "wb").write(pip)
body = pip.index(read("body.cel"))
bad = bytearray(pip)
bad[body + 100] ^= 0xFF
open(os.path.join(here, "bad-crc.lzh"), "wb").write(bad)
sjis = level0(b"\x95\x5c\\\x95\x5c.CEL", read("hat.cel"))
sjis += level23(2, b"\x95\x5c", b"\x95\x5cx.CEL", read("hair.cel"))
sjis += level23(3, b"\x95\x5c", b"\x95\x5cy.CEL", read("pip.kcf"))
open(os.path.join(here, "sjis-5c.lzh"), "wb").write(sjis + b"\0")

# zipfile writes a name that is not ASCII as UTF-8 and marks it: the Shift-JIS name is put in
# place of an ASCII one of its length afterwards.
path = os.path.join(here, "sjis-utf8.zip")
with zipfile.ZipFile(path, "w") as z:
    z.writestr(zipfile.ZipInfo("@@.CEL", (2024, 1, 1, 0, 0, 0)), read("hat.cel"), zipfile.ZIP_STORED)
    z.writestr(zipfile.ZipInfo("あ\\表.cel", (2024, 1, 1, 0, 0, 0)), read("hair.cel"), zipfile.ZIP_DEFLATED)
data = open(path, "rb").read()
assert data.count(b"@@.CEL") == 2
open(path, "wb").write(data.replace(b"@@.CEL", b"\x95\x5c.CEL"))
PY
ls -l "$here"/*.lzh "$here"/*.zip
