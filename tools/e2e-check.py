#!/usr/bin/env python3
"""Checks an end-to-end screenshot of the editor.

usage: e2e-check.py width height editorX editorY stereo|mono < shot.rgb

The shot, raw 8-bit RGB, comes on standard input.

stereo: the rows of the 1 kHz left tone and the 3 kHz right tone show the
balance colours (orange for the left, blue for the right) across the
sonogram, and rows without a tone are dark. mono: the left tone feeds both
inputs, so its row is white and the right tone's row is dark. Both: the
read-outs are drawn."""
import sys

SONO_LEFT, SONO_TOP, COLUMNS, BINS = 10, 10, 1024, 256
BIN_HZ = 44100 / 512.0


def orange(r, g, b):
    return r > 70 and r > g + 20 and g >= b


def blue(r, g, b):
    return b > 70 and b > r + 40 and g > r


def white(r, g, b):
    return min(r, g, b) > 70 and max(r, g, b) - min(r, g, b) < 30


def dark(r, g, b):
    return max(r, g, b) < 40


def main():
    width, height, ex, ey = map(int, sys.argv[1:5])
    mode = sys.argv[5]
    data = sys.stdin.buffer.read()

    def pixel(x, y):
        at = (y * width + x) * 3
        return tuple(data[at:at + 3])

    def row(hz):
        y = ey + SONO_TOP + BINS - round(hz / BIN_HZ)
        return [pixel(ex + SONO_LEFT + c, y) for c in range(COLUMNS)]

    if mode == "stereo":
        rows = (("1 kHz, left only: orange", 1000, orange), ("3 kHz, right only: blue", 3000, blue))
    else:
        rows = (("1 kHz, both inputs: white", 1000, white), ("3 kHz, not heard: dark", 3000, dark))
    rows += (("2 kHz, no tone: dark", 2000, dark), ("8 kHz, no tone: dark", 8000, dark))
    failed = False
    for name, hz, wanted in rows:
        pixels = row(hz)
        share = sum(1 for p in pixels if wanted(*p)) / len(pixels)
        ok = share >= 0.8
        failed |= not ok
        print("%-28s %5.1f%% of columns, middle pixel %-15s %s"
              % (name, 100 * share, pixels[COLUMNS // 2], "ok" if ok else "FAILED"))

    # The rate read-out, grey text (128, 128, 128) on the dark strip.
    text = sum(1 for x in range(834, 934) for y in range(271, 285)
               if (lambda r, g, b: r >= 70 and max(r, g, b) - min(r, g, b) < 16)(
                   *pixel(ex + x, ey + y)))
    ok = text >= 15
    failed |= not ok
    print("%-28s %d text pixels %s" % ("rate read-out drawn", text, "ok" if ok else "FAILED"))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
