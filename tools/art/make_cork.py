#!/usr/bin/env python3
"""Writes cork.wav: the short pop Quellix plays when it stops a pop-up.

A burst of noise with a fast attack and an exponential decay excites a
resonator whose pitch falls as the pop opens up, with a soft low thump under
it. 22050 Hz, mono, 16-bit PCM, 0.22 s. The noise is seeded, so every build
writes the same bytes.

The output is committed (win32/sounds/cork.wav), so that builds need no
Python; check_art.py fails when it is not what this script writes now.

Usage: make_cork.py [OUTPUT.wav]      (default: win32/sounds/cork.wav)
"""
import os
import math
import random
import struct
import sys
import wave

RATE = 22050
SECONDS = 0.22
PEAK = 0.8  # of full scale, leaving head room for the filter's overshoot


def resonator(samples, rate, start_hz, end_hz, q):
    """Two-pole band-pass whose centre glides from start_hz to end_hz."""
    out = []
    y1 = y2 = 0.0
    n = len(samples)
    for i, x in enumerate(samples):
        f = start_hz * (end_hz / start_hz) ** (i / n)
        w = 2 * math.pi * f / rate
        r = math.exp(-w / (2 * q))
        y = (1 - r) * x + 2 * r * math.cos(w) * y1 - r * r * y2
        y2, y1 = y1, y
        out.append(y)
    return out


def cork(rate=RATE, seconds=SECONDS):
    rng = random.Random(1868)
    n = int(rate * seconds)
    attack = int(0.0015 * rate)
    burst = []
    for i in range(n):
        t = i / rate
        envelope = min(1.0, i / attack) * math.exp(-t / 0.009)
        burst.append(envelope * rng.uniform(-1.0, 1.0))
    pop = resonator(burst, rate, 1150.0, 520.0, 9.0)
    # The body of the bottle: a low thump that dies away a little slower.
    thump = [math.sin(2 * math.pi * 140 * i / rate) * math.exp(-(i / rate) / 0.03) * 0.25
             for i in range(n)]
    mixed = [p + t for p, t in zip(pop, thump)]
    peak = max(abs(v) for v in mixed) or 1.0
    fade = int(0.01 * rate)
    samples = []
    for i, v in enumerate(mixed):
        gain = min(1.0, (n - 1 - i) / fade)  # the last sample is silence
        samples.append(int(round(v / peak * PEAK * gain * 32767)))
    return samples


DEFAULT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "win32", "sounds",
                       "cork.wav")


def main(argv):
    if len(argv) > 2:
        sys.stderr.write(__doc__)
        return 2
    samples = cork()
    with wave.open(argv[1] if len(argv) == 2 else os.path.normpath(DEFAULT), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(struct.pack("<%dh" % len(samples), *samples))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
