#!/usr/bin/env python3
"""Checks that a sound file is what the program's alert needs: a RIFF/WAVE
file of uncompressed PCM, 22050 Hz, mono, 16-bit, with consistent chunk
sizes, lasting 0.15 to 0.3 s, audible but not clipped, and shaped like a pop
(loud at once, then dying away to silence).

Usage: check_wav.py FILE.wav        exit status 0 when all holds
"""
import math
import struct
import sys


def chunks(data):
    pos = 12
    while pos + 8 <= len(data):
        cid, size = struct.unpack_from("<4sI", data, pos)
        yield cid, pos + 8, size
        pos += 8 + size + (size & 1)


def problems(data):
    if len(data) < 12 or data[0:4] != b"RIFF" or data[8:12] != b"WAVE":
        return ["not a RIFF/WAVE file"]
    found = []
    (riff_size,) = struct.unpack_from("<I", data, 4)
    if riff_size != len(data) - 8:
        found.append("RIFF size %d, file holds %d bytes after the header" % (riff_size, len(data) - 8))
    table = {}
    for cid, start, size in chunks(data):
        if start + size > len(data):
            found.append("chunk %r runs past the end of the file" % cid)
            return found
        table.setdefault(cid, (start, size))
    if b"fmt " not in table or b"data" not in table:
        return found + ["missing fmt or data chunk"]
    start, size = table[b"fmt "]
    if size < 16:
        return found + ["fmt chunk too short"]
    tag, channels, rate, byte_rate, align, bits = struct.unpack_from("<HHIIHH", data, start)
    expected = {"format tag (1 = PCM)": (tag, 1), "channels": (channels, 1), "sample rate": (rate, 22050),
                "bits per sample": (bits, 16), "block align": (align, 2), "byte rate": (byte_rate, 44100)}
    for name, (got, want) in expected.items():
        if got != want:
            found.append("%s is %d, expected %d" % (name, got, want))
    if found:
        return found
    start, size = table[b"data"]
    if size % 2:
        return ["data chunk of %d bytes is not whole 16-bit samples" % size]
    samples = struct.unpack_from("<%dh" % (size // 2), data, start)
    seconds = len(samples) / 22050
    if not 0.15 <= seconds <= 0.3:
        found.append("lasts %.3f s, expected 0.15 to 0.3 s" % seconds)
    if not samples:
        return found
    peak = max(abs(s) for s in samples) / 32768
    if not 0.3 <= peak <= 0.99:
        found.append("peak %.2f of full scale, expected 0.3 to 0.99 (audible, not clipped)" % peak)
    window = int(0.03 * 22050)

    def rms(part):
        return math.sqrt(sum(s * s for s in part) / len(part)) if part else 0.0

    head, tail = rms(samples[:window]), rms(samples[-window:])
    if tail > 0 and 20 * math.log10(head / tail) < 30:
        found.append("the end is only %.1f dB below the start: not a pop that dies away" %
                     (20 * math.log10(head / tail) if head else 0))
    if abs(samples[-1]) > 64:
        found.append("does not end in silence (last sample %d): it would click" % samples[-1])
    return found


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    try:
        with open(argv[1], "rb") as f:
            data = f.read()
    except OSError as e:
        print("FAIL: %s" % e)
        return 1
    found = problems(data)
    for p in found:
        print("FAIL: %s: %s" % (argv[1], p))
    if not found:
        print("%s: PCM 22050 Hz mono 16-bit, %d bytes" % (argv[1], len(data)))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
