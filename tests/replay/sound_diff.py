#!/usr/bin/env python3
# Compares two 16-bit WAV files of one build's sound with another's, sample for sample: says
# whether they are identical, else how many samples differ, by how much, and where the first and
# the largest lie. Fails (exit 1, a FAIL line) where a sample differs by more than LARGEST or more
# than PER_MILLE thousandths of the samples differ, or length or header differ.
#   sound_diff.py NATIVE.wav OTHER.wav LARGEST PER_MILLE NAME
import array
import sys

a, b = (open(p, "rb").read() for p in sys.argv[1:3])
largest, per_mille, name = int(sys.argv[3]), int(sys.argv[4]), sys.argv[5]
if len(a) != len(b) or a[:44] != b[:44]:
    sys.exit(f"FAIL: {name}: the sound differs in length or header: {len(a)} bytes natively, {len(b)} here")
x, y = array.array("h", a[44:]), array.array("h", b[44:])
apart = [(abs(p - q), i) for i, (p, q) in enumerate(zip(x, y)) if p != q]


def where(i):
    return f"sample {i} ({i // 2 / 44100:.3f} s, {'right' if i % 2 else 'left'})"


if not apart:
    print(f"{name}: the sound's {len(x)} samples are identical")
    sys.exit(0)
top = max(apart)
print(f"{name}: {len(apart)} of {len(x)} samples of the sound differ ({len(apart) * 100 / len(x):.4f} %), by up to {top[0]}"
      f" (at {where(top[1])}: {x[top[1]]} natively, {y[top[1]]} here); the first at {where(apart[0][1])}")
if top[0] > largest or len(apart) * 1000 > per_mille * len(x):
    sys.exit(f"FAIL: {name}: the sound differs beyond {largest} in {per_mille / 10} % of the samples")
