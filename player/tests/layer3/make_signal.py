#!/usr/bin/env python3
"""Writes a known test signal as raw 16-bit little-endian PCM.

make_signal.py OUT RATE CHANNELS SECONDS KIND
KIND: music (tones with moving envelopes and noise bursts, channels alike), tones (steady
tones), left (a 1 kHz tone in the left channel only), high (a tone at 0.4
of the sampling rate in both channels); left and high carry a short noise
burst near the start.
"""
import math
import random
import struct
import sys

out, rate, channels, seconds, kind = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), float(sys.argv[4]), sys.argv[5]
random.seed(1)
frames = int(rate * seconds)
two_pi = 2 * math.pi
data = bytearray()
pack = struct.Struct('<h').pack
for i in range(frames):
    t = i / rate
    if kind in ('music', 'tones'):
        l = 0.3 * math.sin(two_pi * 440 * t) + 0.2 * math.sin(two_pi * 1234 * t)
        r = 0.3 * math.sin(two_pi * 660 * t) + 0.2 * math.sin(two_pi * 2000 * t + 1)
        if kind == 'music':
            l += 0.1 * math.sin(two_pi * 3100 * t * (1 + 0.1 * math.sin(t)))
            r += 0.05 * math.sin(two_pi * 5000 * t)
            env = 0.6 + 0.4 * math.sin(two_pi * 1.5 * t)
            l *= env
            r *= 1.4 - env
            if int(t * 4) % 3 == 0:
                burst = 1.0 if i % 4000 < 400 else 0.1
                l += 0.2 * (random.random() - 0.5) * burst
                r += 0.2 * (random.random() - 0.5) * burst
            # Channels alike enough for middle/side coding.
            r = 0.9 * l + 0.1 * r
    elif kind == 'left':
        l, r = 0.5 * math.sin(two_pi * 1000 * t), 0.0
    elif kind == 'high':
        l = r = 0.5 * math.sin(two_pi * rate * 0.4 * t)
    else:
        sys.exit('unknown kind ' + kind)
    if kind in ('left', 'high') and 0.05 <= t < 0.08:
        # A noise burst, so that the delay of a steady tone is found.
        l = 0.3 * (random.random() - 0.5)
        if kind == 'high':
            r = l
    for v in ((l,) if channels == 1 else (l, r)):
        data += pack(max(-32768, min(32767, int(round(v * 32767)))))
with open(out, 'wb') as f:
    f.write(data)
