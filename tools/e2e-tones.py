#!/usr/bin/env python3
"""Writes a stereo test signal for the end-to-end runs.

  e2e-tones.py FILE SECONDS          1 kHz in the left channel only and
                                     3 kHz in the right only, at 0.3
  e2e-tones.py FILE SECONDS sweep    a tone sweeping 200 Hz to 8 kHz and back
                                     every 4 s in the left, 1.5 kHz steady in
                                     the right"""
import math
import struct
import sys
import wave

RATE = 44100
AMPLITUDE = 0.3


def main():
    path, seconds = sys.argv[1], float(sys.argv[2])
    sweep = len(sys.argv) > 3 and sys.argv[3] == "sweep"
    frames = bytearray()
    phase = 0.0
    for i in range(int(RATE * seconds)):
        t = i / RATE
        if sweep:
            position = 1.0 - abs((t % 4.0) / 2.0 - 1.0)  # 0 .. 1 .. 0
            phase += 2.0 * math.pi * (200.0 + 7800.0 * position) / RATE
            left = AMPLITUDE * math.sin(phase)
            right = AMPLITUDE * math.sin(2.0 * math.pi * 1500.0 * t)
        else:
            left = AMPLITUDE * math.sin(2.0 * math.pi * 1000.0 * t)
            right = AMPLITUDE * math.sin(2.0 * math.pi * 3000.0 * t)
        frames += struct.pack("<hh", int(left * 32767), int(right * 32767))
    with wave.open(path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(bytes(frames))


if __name__ == "__main__":
    main()
