#!/usr/bin/env bash
# Makes the three seed corpora from the data builder's own files:
#   make_corpus.sh DATS_FOLDER OUT_FOLDER
# OUT/image: the smaller JPEGs as they are; OUT/music and OUT/clip: the first
# pages of zad2.ogg and scene09.ogm cut to a few kilobytes, the last page of
# each stream marked end-of-stream (CRC recomputed) so the cut files still
# read to the end, plus a few plain prefixes without an end.
set -euo pipefail
dats=${1:?usage: make_corpus.sh DATS_FOLDER OUT_FOLDER}
out=${2:?usage: make_corpus.sh DATS_FOLDER OUT_FOLDER}
mkdir -p "$out/image" "$out/music" "$out/clip"

for f in "$dats"/*.jpg; do
    [ "$(stat -c %s "$f")" -le 8192 ] && cp "$f" "$out/image/"
done

python3 - "$dats" "$out" <<'PY'
import struct, sys, os
dats, out = sys.argv[1], sys.argv[2]

def crc_table():
    table = []
    for i in range(256):
        r = i << 24
        for _ in range(8):
            r = ((r << 1) ^ 0x04C11DB7) if r & 0x80000000 else (r << 1)
        table.append(r & 0xFFFFFFFF)
    return table
TABLE = crc_table()

def ogg_crc(data):
    crc = 0
    for b in data:
        crc = ((crc << 8) ^ TABLE[((crc >> 24) & 0xFF) ^ b]) & 0xFFFFFFFF
    return crc

def pages(data):
    at = 0
    while at + 27 <= len(data) and data[at:at + 4] == b"OggS":
        segments = data[at + 26]
        body = sum(data[at + 27:at + 27 + segments])
        size = 27 + segments + body
        yield bytearray(data[at:at + size])
        at += size

def with_end(kept):
    # The last kept page of every stream ends that stream.
    last = {}
    for i, page in enumerate(kept):
        last[struct.unpack_from("<I", page, 14)[0]] = i
    result = bytearray()
    for i, page in enumerate(kept):
        page = bytearray(page)
        if i in last.values():
            page[5] |= 4
        struct.pack_into("<I", page, 22, 0)
        struct.pack_into("<I", page, 22, ogg_crc(page))
        result += page
    return bytes(result)

def cut(name, kind, budgets):
    data = open(os.path.join(dats, name), "rb").read()
    all_pages = list(pages(data))
    for budget in budgets:
        kept, size = [], 0
        for page in all_pages:
            if kept and size + len(page) > budget:
                break
            kept.append(page)
            size += len(page)
        open(os.path.join(out, kind, "ended_%d" % budget), "wb").write(with_end(kept))
        open(os.path.join(out, kind, "prefix_%d" % budget), "wb").write(data[:budget])

cut("zad2.ogg", "music", [4096, 8192, 16384, 24576])
cut("scene09.ogm", "clip", [4096, 32768])
PY
echo "corpora in $out: $(ls "$out/image" | wc -l) images, $(ls "$out/music" | wc -l) music, $(ls "$out/clip" | wc -l) clips"
