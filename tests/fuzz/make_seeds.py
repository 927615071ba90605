#!/usr/bin/env python3
"""Writes small seed inputs for the fuzz targets into OUT/<target>/ (one file per seed).

The seeds follow each target's input layout (see the comment at the top of its source):
length-prefixed fields, then the body. The -lh5- decoder gets the packed data of the
sample archives in TESTDATA, which are read in place and never copied into the tree.
"""
import os
import struct
import sys


def field(b: bytes) -> bytes:
    return bytes([len(b)]) + b


def lzh_members(data: bytes):
    """(method, original size, packed bytes) of each entry of an LHA archive (levels 0-2)."""
    pos = 0
    while pos + 22 <= len(data) and data[pos] != 0:
        level = data[pos + 20]
        method = data[pos + 2:pos + 7]
        packed, original = struct.unpack_from("<II", data, pos + 7)
        if level == 0:
            start = pos + data[pos] + 2
        elif level == 1:
            start = pos + data[pos] + 2
            nxt = struct.unpack_from("<H", data, start - 2)[0]
            while nxt and start + nxt <= len(data):  # extended headers count as packed data
                packed -= nxt
                start += nxt
                nxt = struct.unpack_from("<H", data, start - 2)[0]
        elif level == 2:
            start = pos + struct.unpack_from("<H", data, pos)[0]
        else:
            return
        yield method, original, data[start:start + packed]
        pos = start + packed


def seeds(testdata: str):
    shortcut_cp932 = b"[InternetShortcut]\r\nURL=http://example.com/\r\n[Comment]\r\nComment=\x93\xfa\x96\x7b\x8c\xea\r\n"
    shortcut_shadow = ("[InternetShortcut]\r\nURL=http://example.com/?\r\n"
                       "[InternetShortcut.A]\r\nURL=http://example.com/?\r\n"
                       "[InternetShortcut.W]\r\nURL=http://example.com/+ZeVnLIqe-\r\n").encode()
    shortcut_utf16 = b"\xff\xfe" + "[InternetShortcut]\r\nURL=http://例.jp/\r\n".encode("utf-16-le")
    yield "shortcut", b"\x02" + field(b"http://new.example/") + shortcut_cp932
    yield "shortcut", b"\x00" + field("日本語のコメント".encode()) + shortcut_cp932
    yield "shortcut", b"\x03" + field("http://例.jp/".encode("cp932")) + shortcut_shadow
    yield "shortcut", b"\x02" + field(b" a\r\nb ") + shortcut_utf16
    yield "shortcut", b"\x00" + field(b"c") + "[Comment]\r\nComment=ü\r\n".encode()

    ini = b"; comment\r\n[Main]\r\nWidth=640\r\nName = \"quoted\" \r\n\r\n[Other]\r\nx=1"
    yield "profile", b"\x20" + field(b"Main") + field(b"Width") + field(b"800") + field(b"other") + field(b"X") + ini
    yield "profile", b"\x41" + field("設定".encode("cp932")) + field(b"Key") + field("表".encode("cp932")) + field(b"Main") + field(b"name") + ini
    yield "profile", b"\x00" + field(b"New") + field(b"k") + field(b"a\nb") + field(b"Main") + field(b"Width") + ini

    yield "dosattrib", b"0x20"
    yield "dosattrib", b"0x22\x00"
    yield "dosattrib", struct.pack("<HHII", 4, 4, 0x11, 0x22) + bytes(20)

    yield "lha_command_line", b'u -+ -p1 -x1 -jso1  "a.lzh" "base/" "x.url" "sub dir/y z.url" '
    yield "lha_command_line", b'u -r2x1 -a1 -c -w"/tmp/w/" a.lzh b/ -- -x1 @list'
    yield "lha_command_line", b't "a.lzh"\nsay "hi" now.url\n\x93\xfa\x96\x7b.url'

    text = b"The quick brown fox jumps over the lazy dog. " * 40
    yield "lh5_roundtrip", b"\x00\x00" + text
    yield "lh5_roundtrip", b"\x07\x01" + bytes(range(256)) * 8
    yield "lh5_roundtrip", b"\x00\x82" + b"a" * 3000 + b"b" + b"a" * 3000

    for root, _, files in os.walk(os.path.join(testdata, "lha")):
        for name in sorted(files):
            if not name.endswith(".lzh"):
                continue
            with open(os.path.join(root, name), "rb") as f:
                data = f.read()
            for method, original, packed in lzh_members(data):
                bits = {b"-lh5-": 0, b"-lh6-": 1, b"-lh7-": 2}.get(method)
                if bits is not None and original < 65536:
                    yield "lh5_decode", bytes([bits]) + struct.pack("<H", original) + packed


def main():
    out, testdata = sys.argv[1], sys.argv[2]
    counts = {}
    for target, data in seeds(testdata):
        n = counts.get(target, 0)
        counts[target] = n + 1
        folder = os.path.join(out, target)
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, f"seed-{n:03d}"), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
