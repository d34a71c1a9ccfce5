#!/usr/bin/python3
"""pngcompare.py -- finds a frame the harness drew in a picture of a desktop.

  pngcompare.py find FRAME.png SHOT.png
      the frame shown 1:1 somewhere in the shot: prints X Y and the share of equal pixels
  pngcompare.py scaled FRAME.png SHOT.png
      the frame scaled to fill the shot with its aspect kept, black bars beside it: prints the
      picture's rectangle, the share of sampled pixels that match and the share of black bars
  pngcompare.py plain IN.png OUT.png
      the same picture as RGB rows without filters, which this script reads fast
Exit 1 when the frame is not found (find) or the picture does not match (scaled)."""
import struct
import sys
import zlib


def read_png(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit(f"{path}: not a PNG")
    pos, idat, width = 8, b"", None
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            if depth != 8 or colour not in (2, 6):
                raise SystemExit(f"{path}: only 8-bit RGB or RGBA")
            bpp = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, prev, i = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[i], bytearray(raw[i + 1:i + 1 + stride])
        i += 1 + stride
        for x in range(stride if kind else 0):
            a = line[x - bpp] if x >= bpp else 0
            b = prev[x]
            c = prev[x - bpp] if x >= bpp else 0
            if kind == 1:
                line[x] = (line[x] + a) & 255
            elif kind == 2:
                line[x] = (line[x] + b) & 255
            elif kind == 3:
                line[x] = (line[x] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        prev = line
        if bpp == 3:
            rows.append(bytes(line))
        else:
            rgb = bytearray(width * 3)
            rgb[0::3], rgb[1::3], rgb[2::3] = line[0::4], line[1::4], line[2::4]
            rows.append(bytes(rgb))
    return width, height, rows


def find(frame, shot):
    fw, fh, frows = frame
    sw, sh, srows = shot
    probe = fh // 2
    for y in range(sh - fh + 1):
        x3 = srows[y + probe].find(frows[probe])
        while x3 >= 0:
            if x3 % 3 == 0:
                # By pixel: a compositor draws its pointer over the picture.
                x = x3 // 3
                same = total = 0
                for r in range(0, fh, 3):
                    got, want = srows[y + r][x * 3:(x + fw) * 3], frows[r]
                    total += fw
                    same += fw if got == want else sum(
                        got[i:i + 3] == want[i:i + 3] for i in range(0, fw * 3, 3))
                return x, y, same / total
            x3 = srows[y + probe].find(frows[probe], x3 + 1)
    return None


def scaled(frame, shot):
    fw, fh, frows = frame
    sw, sh, srows = shot
    vw, vh = sw, sw * fh // fw
    if vh > sh:
        vw, vh = sh * fw // fh, sh
    vx, vy = (sw - vw) // 2, (sh - vh) // 2
    match = total = 0
    for y in range(vy + 2, vy + vh - 2, 7):
        for x in range(vx + 2, vx + vw - 2, 7):
            total += 1
            # Nearest-neighbour scaling may pick the neighbour: accept either.
            fx, fy = (x - vx) * fw // vw, (y - vy) * fh // vh
            got = srows[y][x * 3:x * 3 + 3]
            near = [frows[min(max(fy + dy, 0), fh - 1)][min(max(fx + dx, 0), fw - 1) * 3:][:3]
                    for dy in (-1, 0, 1) for dx in (-1, 0, 1)]
            match += got in near
    bars = black = 0
    for y in range(0, sh, 5):
        for x in list(range(0, vx, 3)) + list(range(vx + vw, sw, 3)):
            bars += 1
            black += srows[y][x * 3:x * 3 + 3] == b"\0\0\0"
    for y in list(range(0, vy, 3)) + list(range(vy + vh, sh, 3)):
        for x in range(0, sw, 5):
            bars += 1
            black += srows[y][x * 3:x * 3 + 3] == b"\0\0\0"
    return (vx, vy, vw, vh), match / max(total, 1), (black / bars if bars else 1.0)


def write_plain(picture, path):
    width, height, rows = picture

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    raw = b"".join(b"\0" + row for row in rows)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" +
                chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(raw, 1)) + chunk(b"IEND", b""))


def main():
    if len(sys.argv) != 4 or sys.argv[1] not in ("find", "scaled", "plain"):
        raise SystemExit(__doc__)
    if sys.argv[1] == "plain":
        write_plain(read_png(sys.argv[2]), sys.argv[3])
        return 0
    frame, shot = read_png(sys.argv[2]), read_png(sys.argv[3])
    if sys.argv[1] == "find":
        at = find(frame, shot)
        if not at:
            print("not found")
            return 1
        print(f"{at[0]} {at[1]} {at[2]:.3f}")
        return 0 if at[2] >= 0.99 else 1
    rect, match, bars = scaled(frame, shot)
    print(f"{rect[0]} {rect[1]} {rect[2]} {rect[3]} {match:.3f} {bars:.3f}")
    return 0 if match >= 0.97 and bars >= 0.999 else 1


sys.exit(main())
