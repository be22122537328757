#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets into fuzz/corpus/. The files are
committed; run this again only to change them."""
import os
import random

here = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(here, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def payload(w, h, f):
    return bytes((x * 7 + y * 13 + f * 3) % 256 for y in range(h) for x in range(w)) + \
        bytes((100 + i + f) % 256 for i in range(w * h))


def y4m(w, h, frames, tags=" F25:1 Ip A1:1 C422", frame_line=b"FRAME\n"):
    out = ("YUV4MPEG2 W%d H%d%s\n" % (w, h, tags)).encode()
    for f in range(frames):
        out += frame_line + payload(w, h, f)
    return out


# Streams that read: the smallest frame, several frames, every tag, frame parameters.
write("y4m_reader", "tiny", y4m(2, 1, 1))
write("y4m_reader", "three_frames", y4m(4, 2, 3))
write("y4m_reader", "all_tags", y4m(6, 4, 2, " F30000:1001 It A128:117 C422 XYSCSS=422 XCOLORRANGE=LIMITED Zx"))
write("y4m_reader", "frame_parameters", y4m(4, 2, 2, frame_line=b"FRAME Ixyz XFOO=1\n"))
write("y4m_reader", "no_frames", y4m(8, 8, 0))
# Streams that are refused, one reason each.
write("y4m_reader", "truncated_payload", y4m(4, 2, 2)[:-3])
write("y4m_reader", "trailing_bytes", y4m(4, 2, 1) + b"FRA")
write("y4m_reader", "four_two_zero", b"YUV4MPEG2 W4 H2 C420jpeg\nFRAME\n" + bytes(12))
write("y4m_reader", "ten_bit", b"YUV4MPEG2 W4 H2 C422p10\n")
write("y4m_reader", "odd_width", b"YUV4MPEG2 W5 H2 C422\n")
write("y4m_reader", "huge_dimensions", b"YUV4MPEG2 W100000000 H100000000 C422\nFRAME\n")
write("y4m_reader", "largest_dimensions_cut", b"YUV4MPEG2 W16384 H16384 C422\nFRAME\n" + bytes(64))
write("y4m_reader", "bad_frame_line", y4m(4, 2, 1) + b"FRAMEX\n" + payload(4, 2, 1))
write("y4m_reader", "no_newline", b"YUV4MPEG2 W4 H2 C422")

# The kernel target reads its settings from the end of the input and frame
# bytes from the front; random inputs of a few sizes start it everywhere.
rng = random.Random(20261211)
for size in (16, 64, 256, 1024, 4096):
    write("kernel", "random_%d" % size, bytes(rng.randrange(256) for _ in range(size)))
