#!/usr/bin/env python3
"""Checks the levels of Kwinta's sounds: data/*.daw.

Usage:  python3 tools/check_sounds.py [DIR]      (default: data/ next to tools/)

Prints the peak of every sound and of every set of sounds the game plays at
once, in dBFS, and exits non-zero when a set would reach full scale (less
than MARGIN_DB below it, to leave room for the mixer's resampling).

The sets:
- started together, mixed sample for sample as the game starts them: the
  five menu sounds; the match's opening (the whistle and the riff as the
  crowds start again);
- a cue over the crowds: the two crowd loops run side by side all match,
  and a cue (a result's sounds, the swoosh, a whistle) can start at any
  moment of them, so its peak can meet the crowds' own: the worst case is
  the sum of the two peaks of the same sign.
"""
import array
import math
import os
import sys
import wave

MARGIN_DB = 0.5

LOOPS = {"crowd", "crowd2", "theme"}
TOGETHER = {
    "menu": ["crowd2", "crowd", "yeah2", "theme", "guit2"],
    "match opening": ["wis2", "guit2", "crowd", "crowd2"],
}
BED = ["crowd", "crowd2"]
CUES = [["swoosh"], ["wis3"], ["wis1"], ["yeah"], ["boo"], ["yeah2"],
        ["yeah2", "wis2"], ["boo", "wis2"], ["yeah", "wis1"]]


def read(path):
    with wave.open(path, "rb") as w:
        if w.getsampwidth() != 2 or w.getnchannels() != 1:
            sys.exit("check_sounds: %s is not 16-bit mono" % path)
        samples = array.array("h", w.readframes(w.getnframes()))
    if sys.byteorder == "big":
        samples.byteswap()
    return [s / 32768.0 for s in samples]


def mix(sounds, names, length):
    out = [0.0] * length
    for name in names:
        s = sounds[name]
        n = len(s)
        if name in LOOPS:
            for i in range(length):
                out[i] += s[i % n]
        else:
            for i in range(min(n, length)):
                out[i] += s[i]
    return out


def db(x):
    return 20 * math.log10(x) if x > 0 else float("-inf")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "data")
    names = sorted({n for group in list(TOGETHER.values()) + [BED] + CUES for n in group})
    sounds = {n: read(os.path.join(folder, n + ".daw")) for n in names}

    print("sound        peak dBFS")
    for n in names:
        print("%-12s %6.1f" % (n, db(max(abs(x) for x in sounds[n]))))

    limit = 10 ** (-MARGIN_DB / 20)
    worst = 0.0
    print("\nset                         peak dBFS")
    for label, group in TOGETHER.items():
        length = max(len(sounds[n]) for n in group if n not in LOOPS)
        peak = max(abs(x) for x in mix(sounds, group, length))
        worst = max(worst, peak)
        print("%-27s %6.1f" % (label, db(peak)))

    bed = mix(sounds, BED, max(len(sounds[n]) for n in BED))
    for cue in CUES:
        c = mix(sounds, [n for n in cue], max(len(sounds[n]) for n in cue))
        peak = max(max(bed) + max(c), -(min(bed) + min(c)))
        worst = max(worst, peak)
        print("%-27s %6.1f" % ("crowds + " + " + ".join(cue), db(peak)))

    if worst >= limit:
        print("\ncheck_sounds: a set reaches %.1f dBFS (limit %.1f)" % (db(worst), -MARGIN_DB))
        return 1
    print("\ncheck_sounds: every set stays below %.1f dBFS" % -MARGIN_DB)
    return 0


if __name__ == "__main__":
    sys.exit(main())
