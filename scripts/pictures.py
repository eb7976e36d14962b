"""Writers of the pictures that resource libraries and tests are built with:
BMP, ICO and GIF files, colours taken from a name, and resource scripts.
The build scripts that make pictures import this module."""
import hashlib
import struct


def name_colours(name):
    """Two colours of the name, far enough apart to tell one from the other."""
    d = hashlib.sha1(name.encode()).digest()
    first = (d[0], d[1], d[2])
    second = tuple(255 - c for c in first)
    if sum(abs(a - b) for a, b in zip(first, second)) < 120:
        second = (0, 0, 0) if sum(first) > 384 else (255, 255, 255)
    return first, second


def bmp(palette, rows, bits=24):
    """A bitmap file of rows of palette indexes (top row first), stored as
    24-bit colour or as 4-bit indexes into the palette."""
    h, w = len(rows), len(rows[0])
    data = bytearray()
    for row in reversed(rows):  # bottom-up
        if bits == 24:
            line = b"".join(bytes((palette[i][2], palette[i][1], palette[i][0])) for i in row)
        else:
            line = bytearray()
            for x in range(0, w, 2):
                hi = row[x]
                lo = row[x + 1] if x + 1 < w else 0
                line.append(hi << 4 | lo)
            line = bytes(line)
        data += line + b"\0" * ((4 - len(line) % 4) % 4)
    colours_used = 0 if bits == 24 else 16
    table = b""
    if bits == 4:
        entries = list(palette) + [(0, 0, 0)] * (16 - len(palette))
        table = b"".join(bytes((b, g, r, 0)) for r, g, b in entries)
    offset = 14 + 40 + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, 0, len(data), 2835, 2835,
                       colours_used, 0)
    return header + info + table + bytes(data)


def solid_bmp(width, height, rgb):
    """A 24-bit bitmap file of one colour."""
    return bmp([rgb], [[0] * width for _ in range(height)])


def ico(size, pixel):
    """A one-image icon file, size x size at 32 bits, all opaque;
    pixel(x, y) gives the (r, g, b) of each point, y counted from the top."""
    xor = bytearray()
    for y in reversed(range(size)):
        for x in range(size):
            r, g, b = pixel(x, y)
            xor += bytes((b, g, r, 255))
    and_mask = bytes(4 * size)  # 32 bits a row, all opaque
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + bytes(xor) + and_mask
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32,
                                                      len(image), 22) + image


def lzw_codes(indexes):
    """Codes for 8-bit pixel indexes that keep the code width at 9 bits:
    each pixel is sent as its own code and the table is cleared before it
    would grow past 511 entries."""
    clear, end = 256, 257
    codes, size = [clear], 258
    for i, p in enumerate(indexes):
        if size >= 510:
            codes.append(clear)
            size = 258
        codes.append(p)
        if i > 0 or codes[-2] != clear:
            size += 1
    codes.append(end)
    return codes


def pack_codes(codes, width=9):
    out, acc, bits = bytearray(), 0, 0
    for c in codes:
        acc |= c << bits
        bits += width
        while bits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            bits -= 8
    if bits:
        out.append(acc & 0xFF)
    return bytes(out)


def animated_gif(frames, size, delay_cs=10):
    """A looping animation of solid frames, frame i drawn in colour index i
    of a global table."""
    return animated_gif_frames(frames, [[i] * (size * size) for i in range(len(frames))], size,
                               delay_cs)


def animated_gif_frames(palette, frames, size, delay_cs=10):
    """A looping animation of square frames of palette indexes (row by
    row, top first) with one global colour table."""
    table = bytearray()
    for rgb in palette:
        table += bytes(rgb)
    table += b"\0" * (768 - len(table))
    data = bytearray(b"GIF89a")
    data += struct.pack("<HHBBB", size, size, 0xF7, 0, 0)
    data += table
    data += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
    for pixels in frames:
        data += struct.pack("<BBBBHBB", 0x21, 0xF9, 4, 0, delay_cs, 0, 0)
        data += struct.pack("<BHHHHB", 0x2C, 0, 0, size, size, 0)
        data.append(8)
        packed = pack_codes(lzw_codes(pixels))
        for k in range(0, len(packed), 255):
            chunk = packed[k:k + 255]
            data.append(len(chunk))
            data += chunk
        data.append(0)
    data.append(0x3B)
    return bytes(data)


def write_file(path, data):
    with open(path, "wb") as f:
        f.write(data)


def write_rc(path, entries):
    """A resource script of (name, type, file) entries, one a line."""
    with open(path, "w") as f:
        f.writelines('%s %s "%s"\n' % (name, kind, file.replace("\\", "/"))
                     for name, kind, file in entries)
