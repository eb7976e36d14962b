#!/usr/bin/env python3
"""compare_pcm.py REF NEW: compares two raw 16-bit little-endian PCM files
sample by sample; prints the largest difference and how many samples differ.
Exit status 1 when the lengths differ or a sample is off by more than 1."""
import array
import sys

ref, new = array.array('h'), array.array('h')
with open(sys.argv[1], 'rb') as f:
    ref.frombytes(f.read())
with open(sys.argv[2], 'rb') as f:
    new.frombytes(f.read())
worst, differ = 0, 0
for a, b in zip(ref, new):
    if a != b:
        differ += 1
        d = abs(a - b)
        if d > worst:
            worst = d
same_length = len(ref) == len(new)
print('%s: %d samples, %d differ, largest difference %d%s' %
      (sys.argv[2].rsplit('/', 1)[-1], len(ref), differ, worst,
       '' if same_length else ', LENGTH %d vs %d' % (len(ref), len(new))))
sys.exit(0 if same_length and worst <= 1 else 1)
