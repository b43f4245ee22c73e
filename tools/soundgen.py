#!/usr/bin/env python3
"""Synthesises the raw layers of Kwinta's sounds (crowd voices, whistles,
guitar, theme tune, swoosh) as 16-bit mono WAV files.

It is driven by tools/make_sounds.sh, which mixes, filters and masters the
layers with sox.  Standard library only; every generator has a fixed seed, so
the output is the same on every run.

Usage:  soundgen.py COMMAND OUT.wav [ARGS...]

  babble  OUT SECONDS SEED VOICES LIVELY   crowd chatter (LIVELY 0 or 1)
  shouts  OUT KIND SEED                    KIND: yeah, yeah2 or boo
  claps   OUT SECONDS SEED CLAPPERS FROM TO [steady]
  whistle OUT PATTERN                      PATTERN: short, double or long
  guitar  OUT
  theme   OUT
  swoosh  OUT
  loop    IN OUT SECONDS XFADE SKIP        cut a seamless loop out of IN
"""

import math
import random
import struct
import sys
import wave

RATE = 22050
TWO_PI = 2.0 * math.pi


# ----------------------------------------------------------------------------
# files

def write_wav(path, samples, peak=0.7):
    """Writes samples scaled so that the loudest one reaches `peak`."""
    top = max(1e-9, max(abs(s) for s in samples))
    k = peak / top * 32767.0
    data = struct.pack("<%dh" % len(samples),
                       *[max(-32767, min(32767, int(round(s * k)))) for s in samples])
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(data)


def read_wav(path):
    with wave.open(path, "rb") as w:
        if w.getsampwidth() != 2 or w.getnchannels() != 1:
            sys.exit("soundgen: %s must be 16-bit mono" % path)
        n = w.getnframes()
        data = w.readframes(n)
    return [v / 32768.0 for v in struct.unpack("<%dh" % n, data)]


# ----------------------------------------------------------------------------
# small building blocks

def add_into(out, grain, at, gain=1.0, wrap=False):
    """Adds grain into out starting at sample `at`."""
    n = len(out)
    if wrap:
        for i, g in enumerate(grain):
            out[(at + i) % n] += g * gain
        return
    a = max(0, at)
    b = min(n, at + len(grain))
    if b <= a:
        return
    off = a - at
    out[a:b] = [o + g * gain for o, g in zip(out[a:b], grain[off:off + b - a])]


def resample(x, rate):
    """Reads x `rate` times faster (rate > 1 raises the pitch)."""
    n = int((len(x) - 1) / rate)
    out = [0.0] * n
    for i in range(n):
        p = i * rate
        j = int(p)
        f = p - j
        out[i] = x[j] + (x[j + 1] - x[j]) * f
    return out


def smoothstep(x):
    x = min(1.0, max(0.0, x))
    return x * x * (3.0 - 2.0 * x)


def one_pole_lowpass(x, cutoff):
    a = math.exp(-TWO_PI * cutoff / RATE)
    y, out = 0.0, []
    for v in x:
        y = (1.0 - a) * v + a * y
        out.append(y)
    return out


# Formant frequencies (F1, F2, F3) in Hz of an adult voice.
VOWELS = {
    "a": (730, 1090, 2440),   # father
    "ae": (660, 1720, 2410),  # cat
    "e": (530, 1840, 2480),   # bed
    "i": (270, 2290, 3010),   # see
    "o": (570, 840, 2410),    # law
    "u": (300, 870, 2240),    # boot
    "uh": (520, 1190, 2390),  # but
    "er": (490, 1350, 1690),  # bird
    "oh": (450, 800, 2600),   # go
}
BANDWIDTHS = (90.0, 110.0, 170.0)


def voice(rng, dur, pitch, path, env, breath=0.08, jitter=0.015, vib=0.0, vib_rate=5.5, bright=0.35):
    """One voice through a cascade of three formant resonators.

    pitch(t) gives the fundamental in Hz, path is a list of (time, vowel)
    points that the formants glide between, env(t) the amplitude.
    """
    n = int(dur * RATE)
    out = [0.0] * n
    phase = rng.random()
    wander, wander_v = 0.0, 0.0
    y = [[0.0, 0.0] for _ in range(3)]
    coef = [(0.0, 0.0, 0.0)] * 3
    glot = 0.0
    vib_phase = rng.random() * TWO_PI
    for i in range(n):
        t = i / RATE
        if i % 32 == 0:
            # formant targets at this time
            k = 0
            while k + 1 < len(path) and path[k + 1][0] <= t:
                k += 1
            if k + 1 < len(path):
                t0, v0 = path[k]
                t1, v1 = path[k + 1]
                m = smoothstep((t - t0) / max(1e-6, t1 - t0))
            else:
                v0 = v1 = path[k][1]
                m = 0.0
            f = [VOWELS[v0][j] * (1 - m) + VOWELS[v1][j] * m for j in range(3)]
            new = []
            for j in range(3):
                r = math.exp(-math.pi * BANDWIDTHS[j] / RATE)
                b = 2.0 * r * math.cos(TWO_PI * f[j] / RATE)
                c = -r * r
                new.append((1.0 - b - c, b, c))
            coef = new
            wander_v += (rng.random() - 0.5) * 0.3
            wander_v *= 0.9
            wander += wander_v * jitter
            wander *= 0.97
        f0 = pitch(t) * (1.0 + wander + vib * math.sin(vib_phase + TWO_PI * vib_rate * t))
        phase += f0 / RATE
        if phase >= 1.0:
            phase -= 1.0
        # glottal pulse: a rounded saw, softened by a one-pole filter
        src = (1.0 - 2.0 * phase)
        glot = bright * src + (1.0 - bright) * glot
        s = glot + breath * (rng.random() * 2.0 - 1.0)
        for j in range(3):
            a, b, c = coef[j]
            yj = y[j]
            v = a * s + b * yj[0] + c * yj[1]
            yj[1] = yj[0]
            yj[0] = v
            s = v
        out[i] = s * env(t)
    # never stop dead: a short fade on the last 10 ms
    tail = min(n, int(0.01 * RATE))
    for i in range(tail):
        out[n - 1 - i] *= i / tail
    # remove the DC that the cascade keeps
    return highpass(out, 70.0)


def highpass(x, cutoff):
    a = math.exp(-TWO_PI * cutoff / RATE)
    out, prev_x, prev_y = [], 0.0, 0.0
    for v in x:
        y = a * (prev_y + v - prev_x)
        prev_x, prev_y = v, y
        out.append(y)
    return out


def envelope(attack, hold, release, shape=1.0):
    def env(t):
        if t < attack:
            return smoothstep(t / attack)
        t -= attack
        if t < hold:
            return 1.0
        t -= hold
        if t < release:
            return (1.0 - t / release) ** shape
        return 0.0
    return env


# ----------------------------------------------------------------------------
# crowd chatter

def syllable_bank(rng, count, lively):
    """Short spoken syllables: a glide from one vowel to another."""
    names = list(VOWELS)
    bank = []
    for _ in range(count):
        dur = rng.uniform(0.11, 0.32) if not lively else rng.uniform(0.10, 0.28)
        v0, v1 = rng.choice(names), rng.choice(names)
        base = rng.uniform(105, 190) if not lively else rng.uniform(120, 230)
        slope = rng.uniform(-0.5, 0.3)
        path = [(0.0, v0), (dur * rng.uniform(0.3, 0.8), v1)]
        env = envelope(rng.uniform(0.015, 0.04), dur * 0.3, dur * 0.55, 1.5)
        g = voice(rng, dur, lambda t, b=base, s=slope, d=dur: b * (1 + s * t / d * 0.3),
                  path, env, breath=rng.uniform(0.03, 0.12))
        if rng.random() < 0.35:
            # a consonant: a short burst of hiss in front
            hiss_len = int(RATE * rng.uniform(0.015, 0.05))
            hiss = highpass([rng.uniform(-1, 1) for _ in range(hiss_len)], 2500.0)
            hiss = [h * 0.25 * math.sin(math.pi * i / hiss_len) for i, h in enumerate(hiss)]
            g = hiss + g
        bank.append(g)
    return bank


def shout_bank(rng, count):
    """Longer calls heard above the chatter: hey!, whoo!, go!"""
    calls = [
        [(0.0, "e"), (0.25, "i")],
        [(0.0, "u"), (0.3, "oh")],
        [(0.0, "oh"), (0.2, "u")],
        [(0.0, "ae"), (0.2, "a")],
        [(0.0, "i"), (0.08, "e"), (0.2, "a")],
    ]
    bank = []
    for _ in range(count):
        dur = rng.uniform(0.35, 0.7)
        base = rng.uniform(230, 420)
        rise = rng.uniform(0.05, 0.25)
        env = envelope(0.04, dur * 0.4, dur * 0.5, 1.2)
        bank.append(voice(rng, dur,
                          lambda t, b=base, r=rise, d=dur: b * (1 + r * math.sin(math.pi * t / d)),
                          rng.choice(calls), env, breath=0.1, vib=0.01, bright=0.6))
    return bank


def babble(seconds, seed, voices, lively):
    rng = random.Random(seed)
    n = int(seconds * RATE)
    out = [0.0] * n
    bank = syllable_bank(rng, 40 if not lively else 48, lively)
    shouts = shout_bank(rng, 10) if lively else []
    for _ in range(voices):
        # each talker: a pitch/size factor, a distance and a talking rhythm
        rate = rng.uniform(0.8, 1.3) if not lively else rng.uniform(0.85, 1.45)
        gain = rng.uniform(0.15, 1.0) ** 1.5
        t = rng.uniform(-0.5, 0.5)
        while t < seconds:
            for _ in range(rng.randint(2, 8)):
                g = resample(rng.choice(bank), rate * rng.uniform(0.95, 1.05))
                add_into(out, g, int(t * RATE), gain)
                t += len(g) / RATE * rng.uniform(0.7, 1.0) + rng.uniform(0.0, 0.05)
            t += rng.uniform(0.15, 0.8) if not lively else rng.uniform(0.05, 0.4)
    if lively:
        for _ in range(int(seconds * 4)):
            g = resample(rng.choice(shouts), rng.uniform(0.9, 1.15))
            add_into(out, g, int(rng.uniform(-0.3, seconds) * RATE), rng.uniform(0.6, 1.6))
    return out


# ----------------------------------------------------------------------------
# cheers and boos

def shouts(kind, seed):
    rng = random.Random(seed)
    if kind == "yeah":
        seconds, people, spread, bank_size = 2.1, 50, 0.3, 18
    elif kind == "yeah2":
        seconds, people, spread, bank_size = 2.8, 90, 0.7, 24
    else:
        seconds, people, spread, bank_size = 2.1, 55, 0.25, 16
    bank = []
    for k in range(bank_size):
        if kind == "boo":
            dur = rng.uniform(1.2, 1.75)
            base = rng.uniform(95, 165)
            path = [(0.0, "u"), (0.05, rng.choice(["u", "u", "oh"])), (dur * 0.7, rng.choice(["u", "oh"]))]
            env = envelope(rng.uniform(0.03, 0.08), dur * 0.45, dur * 0.45, 1.3)
            fall = rng.uniform(0.05, 0.2)
            bank.append(voice(rng, dur,
                              lambda t, b=base, f=fall, d=dur: b * (1.08 - f * t / d) * (0.85 + 0.15 * min(1, t / 0.06)),
                              path, env, breath=0.06, vib=0.015, vib_rate=rng.uniform(4.5, 6.5)))
            continue
        style = rng.random()
        if style < 0.55:
            path = [(0.0, "i"), (0.07, "e"), (0.2, rng.choice(["ae", "a"])), (1.0, "a")]
        elif style < 0.8:
            path = [(0.0, "u"), (0.15, "oh"), (0.8, "u")]
        else:
            path = [(0.0, "a"), (0.5, "ae")]
        dur = rng.uniform(0.7, 1.3) if kind == "yeah" else rng.uniform(1.0, 2.0)
        base = rng.uniform(200, 360)
        lift = rng.uniform(0.1, 0.35) if style < 0.8 else rng.uniform(0.0, 0.15)
        env = envelope(rng.uniform(0.03, 0.1), dur * 0.35, dur * 0.6, 1.4)
        bank.append(voice(rng, dur,
                          lambda t, b=base, l=lift, d=dur: b * (1 + l * math.sin(math.pi * min(1.0, 1.6 * t / d))),
                          path, env, breath=0.14, vib=0.012, vib_rate=rng.uniform(5, 7), bright=0.7))
    n = int(seconds * RATE)
    out = [0.0] * n
    for p in range(people):
        start = rng.random() ** 1.6 * spread if kind != "yeah2" else rng.uniform(0, spread) * rng.random() ** 0.5
        g = resample(bank[p % bank_size], rng.uniform(0.82, 1.2))
        add_into(out, g, int(start * RATE), rng.uniform(0.2, 1.0))
    return out


def claps(seconds, seed, clappers, start, stop, thin=True):
    """Many people clapping, each at their own pace."""
    rng = random.Random(seed)
    n = int(seconds * RATE)
    out = [0.0] * n
    for _ in range(clappers):
        period = rng.uniform(0.14, 0.24)
        t = start + rng.uniform(0, period) + (rng.uniform(0, 0.4) if thin else 0.0)
        end = stop - (rng.uniform(0, 0.5) if thin else 0.0)
        gain = rng.uniform(0.2, 1.0)
        tone = rng.uniform(900, 2200)
        while t < end:
            ln = int(RATE * rng.uniform(0.02, 0.035))
            burst = [rng.uniform(-1, 1) * math.exp(-i / (ln * 0.25)) for i in range(ln)]
            burst = bandpass(burst, tone, 1.5)
            fade = 1.0 - smoothstep((t - start) / max(0.01, stop - start)) * 0.6 if thin else 1.0
            add_into(out, burst, int(t * RATE), gain * fade)
            t += period * rng.uniform(0.9, 1.1)
    return out


def bandpass(x, freq, q):
    w = TWO_PI * freq / RATE
    alpha = math.sin(w) / (2 * q)
    a0 = 1 + alpha
    b0, b2 = alpha / a0, -alpha / a0
    a1, a2 = -2 * math.cos(w) / a0, (1 - alpha) / a0
    x1 = x2 = y1 = y2 = 0.0
    out = []
    for v in x:
        y = b0 * v + b2 * x2 - a1 * y1 - a2 * y2
        x2, x1 = x1, v
        y2, y1 = y1, y
        out.append(y)
    return out


# ----------------------------------------------------------------------------
# referee's whistle

def whistle(pattern):
    rng = random.Random({"short": 11, "double": 12, "long": 13}[pattern])
    blasts = {
        "short": [(0.02, 0.34)],
        "double": [(0.02, 0.3), (0.5, 0.38)],
        "long": [(0.02, 1.36)],
    }[pattern]
    seconds = blasts[-1][0] + blasts[-1][1] + 0.12
    n = int(seconds * RATE)
    out = [0.0] * n
    for start, length in blasts:
        base = rng.uniform(2950, 3100)
        trill = rng.uniform(27, 33)
        m = int(length * RATE)
        ph = 0.0
        tph = rng.random() * TWO_PI
        lp = 0.0
        bp = [0.0, 0.0]
        for i in range(m):
            t = i / RATE
            # onset: the pitch rises as the breath builds, and sags as it runs out
            onset = smoothstep(t / 0.035)
            tail = smoothstep((length - t) / 0.05)
            sag = 1.0 - 0.05 * (1.0 - onset) - 0.04 * (1.0 - tail) - 0.015 * t / length
            tph += TWO_PI * trill * (1.0 + 0.06 * math.sin(TWO_PI * 2.3 * t)) / RATE
            pea = 0.5 + 0.5 * math.sin(tph)
            pea = pea * pea  # the pea sits in the air stream only part of the time
            f = base * sag * (1.0 + 0.06 * (pea - 0.4))
            ph += f / RATE
            amp = (1.0 - 0.7 * pea) * onset * tail
            tone = math.sin(TWO_PI * ph) + 0.18 * math.sin(2 * TWO_PI * ph + 0.6) + 0.05 * math.sin(3 * TWO_PI * ph)
            # breath: noise resonating near the whistle's pitch
            noise = rng.uniform(-1, 1)
            w = TWO_PI * f / RATE
            r = 0.93
            v = noise * (1 - r) + 2 * r * math.cos(w) * bp[0] - r * r * bp[1]
            bp[1], bp[0] = bp[0], v
            lp = 0.5 * lp + 0.5 * noise
            s = amp * (0.8 * tone + 1.6 * v) + 0.05 * onset * tail * lp
            out[int(start * RATE) + i] += s
    return out


# ----------------------------------------------------------------------------
# guitar riff (Karplus-Strong strings into a distortion)

def pluck(rng, freq, dur, muted, gain=1.0):
    n = int(dur * RATE)
    delay = RATE / freq
    size = int(delay) + 2
    frac = delay - int(delay)
    line = [rng.uniform(-1, 1) for _ in range(size)]
    # a pick attack is brighter than a thumb: smooth the burst a little
    for _ in range(1 if not muted else 3):
        line = [(line[i] + line[i - 1]) * 0.5 for i in range(size)]
    loss = 0.996 if not muted else 0.94
    bright = 0.5 if not muted else 0.3
    out = [0.0] * n
    buf = line + [0.0] * (n + 2)
    for i in range(size, n + size):
        d = i - delay
        j = int(d)
        f = d - j
        a = buf[j] * (1 - f) + buf[j + 1] * f
        b = buf[j - 1] * (1 - f) + buf[j] * f
        buf[i] = loss * ((1 - bright) * a + bright * b)
        out[i - size] = buf[i] * gain
    return out


def guitar():
    rng = random.Random(21)
    seconds = 2.2
    n = int(seconds * RATE)
    out = [0.0] * n
    e, g, a, b = 82.41, 98.0, 110.0, 123.47
    # (start, root, length, palm-muted)
    riff = [(0.00, e, 0.15, True), (0.15, e, 0.15, True), (0.30, g, 0.20, False),
            (0.50, e, 0.15, True), (0.65, a, 0.20, False), (0.85, b, 0.12, False),
            (0.97, a, 0.13, False), (1.10, e, 1.10, False)]
    for start, root, length, muted in riff:
        chord = [root, root * 1.4983, root * 2.0]
        ring = length + 0.02
        for k, f in enumerate(chord):
            s = pluck(rng, f, ring, muted, 1.0 - 0.15 * k)
            # the next chord stops this one
            fade = int(0.012 * RATE)
            for i in range(fade):
                s[-1 - i] *= i / fade
            add_into(out, s, int((start + 0.006 * k) * RATE))
    # a last bend-up shimmer on the final chord: slight vibrato via a delay wobble
    wob = [0.0] * n
    for i in range(n):
        t = i / RATE
        if t > 1.3:
            d = 0.0015 * (1 + math.sin(TWO_PI * 5.5 * (t - 1.3))) * min(1.0, (t - 1.3) / 0.3) * RATE
            j = i - int(d)
            wob[i] = out[j] if j >= 0 else 0.0
        else:
            wob[i] = out[i]
    # overdrive: lots of gain, soft clipping, then a quick high-cut like a cabinet
    drive = [math.tanh(6.0 * v) for v in wob]
    drive = one_pole_lowpass(one_pole_lowpass(drive, 4200.0), 5000.0)
    tail = int(0.5 * RATE)
    for i in range(tail):
        drive[-1 - i] *= (i / tail) ** 1.5
    return drive


# ----------------------------------------------------------------------------
# theme tune: four bars at 180 beats a minute, rendered round the loop point

BEAT = 7350            # samples: 180 bpm at 22050 Hz
BARS = 4
LOOP = BEAT * 4 * BARS


def midi(m):
    return 440.0 * 2.0 ** ((m - 69) / 12.0)


def saw_blep(freq, n, bright=1.0):
    """Band-limited sawtooth (naive saw minus a polyBLEP)."""
    dt = freq / RATE
    ph, out = 0.0, [0.0] * n
    for i in range(n):
        v = 2.0 * ph - 1.0
        if ph < dt:
            x = ph / dt
            v -= x + x - x * x - 1.0
        elif ph > 1.0 - dt:
            x = (ph - 1.0) / dt
            v -= x * x + x + x + 1.0
        out[i] = v
        ph += dt
        if ph >= 1.0:
            ph -= 1.0
    return out


def adsr(n, a, d, s, r_len, total):
    out = [0.0] * n
    for i in range(n):
        if i < a:
            v = i / a
        elif i < a + d:
            v = 1.0 - (1.0 - s) * (i - a) / d
        else:
            v = s
        if i >= total:
            v *= max(0.0, 1.0 - (i - total) / r_len)
        out[i] = v
    return out


def theme():
    rng = random.Random(31)
    out = [0.0] * LOOP
    e8 = BEAT // 2
    # melody: (beat, length in beats, midi note)
    melody = [
        (0, 1, 72), (1, .5, 76), (1.5, .5, 79), (2, 1, 84), (3, 1, 79),
        (4, .5, 81), (4.5, .5, 81), (5, 1, 81), (6, .5, 79), (6.5, .5, 77), (7, 1, 81),
        (8, 1, 79), (9, .5, 76), (9.5, .5, 79), (10, .5, 84), (10.5, .5, 86), (11, 1, 88),
        (12, .5, 83), (12.5, .5, 81), (13, 1, 79), (14, .5, 77), (14.5, .5, 76), (15, 1, 74),
    ]
    for beat, length, note in melody:
        total = int(length * BEAT * 0.85)
        n = total + 1500
        f = midi(note)
        a = saw_blep(f, n)
        b = saw_blep(f * 1.004, n)
        env = adsr(n, 120, 1800, 0.65, 1400, total)
        tone = [(x + y) * 0.5 * e for x, y, e in zip(a, b, env)]
        tone = one_pole_lowpass(tone, 2600.0)
        add_into(out, tone, int(beat * BEAT), 0.32, wrap=True)
        # a square an octave below for body
        sq = [(1.0 if (i * f * 0.5 / RATE) % 1.0 < 0.5 else -1.0) * e for i, e in enumerate(env)]
        sq = one_pole_lowpass(sq, 1800.0)
        add_into(out, sq, int(beat * BEAT), 0.10, wrap=True)
    chords = [(48, [60, 64, 67]), (53, [60, 65, 69]), (48, [60, 64, 67]), (43, [59, 62, 67])]
    for bar, (root, triad) in enumerate(chords):
        for step in range(8):
            at = bar * 4 * BEAT + step * e8
            # bass: root on the beat, octave on the off-beat
            note = root - 12 if step % 2 == 0 else root
            n = int(e8 * 0.9)
            s = saw_blep(midi(note), n + 300)
            env = adsr(n + 300, 60, 900, 0.55, 300, n)
            s = one_pole_lowpass([x * y for x, y in zip(s, env)], 700.0)
            add_into(out, s, at, 0.55, wrap=True)
            # chord stabs on the off-beats
            if step % 2 == 1:
                m = int(e8 * 0.55)
                stab = [0.0] * (m + 400)
                for nt in triad:
                    w = saw_blep(midi(nt), m + 400)
                    stab = [p + q for p, q in zip(stab, w)]
                env = adsr(m + 400, 40, 600, 0.4, 400, m)
                stab = one_pole_lowpass([x * y for x, y in zip(stab, env)], 2000.0)
                add_into(out, stab, at, 0.08, wrap=True)
    # drums
    kick_len = int(0.22 * RATE)
    kick, ph = [], 0.0
    for i in range(kick_len):
        t = i / RATE
        ph += (48 + 110 * math.exp(-t / 0.03)) / RATE
        kick.append(math.sin(TWO_PI * ph) * math.exp(-t / 0.09))
    snare_len = int(0.18 * RATE)
    snare = []
    for i in range(snare_len):
        t = i / RATE
        snare.append(0.7 * rng.uniform(-1, 1) * math.exp(-t / 0.05) + 0.5 * math.sin(TWO_PI * 190 * t) * math.exp(-t / 0.03))
    snare = highpass(snare, 300.0)
    hat_len = int(0.05 * RATE)
    hat = highpass(highpass([rng.uniform(-1, 1) * math.exp(-i / (hat_len * 0.2)) for i in range(hat_len)], 6000.0), 6000.0)
    for beat in range(16):
        at = beat * BEAT
        if beat % 2 == 0:
            add_into(out, kick, at, 0.9, wrap=True)
        if beat % 4 == 2:
            add_into(out, kick, at + e8, 0.6, wrap=True)
        if beat % 2 == 1:
            add_into(out, snare, at, 0.5, wrap=True)
        add_into(out, hat, at, 0.18, wrap=True)
        add_into(out, hat, at + e8, 0.28, wrap=True)
    # a snare fill into the loop point
    for k in range(4):
        add_into(out, snare, 15 * BEAT + k * e8 // 2, 0.25 + 0.08 * k, wrap=True)
    return out


# ----------------------------------------------------------------------------
# swoosh

def swoosh():
    """Air rushing past: noise through a resonance that sweeps up and back."""
    rng = random.Random(41)
    seconds = 0.55
    n = int(seconds * RATE)
    out = []
    y = [[0.0, 0.0], [0.0, 0.0]]
    for i in range(n):
        t = i / (seconds * RATE)
        # centre frequency rises to its top just past the middle, then falls
        fc = 300 + 1700 * math.sin(math.pi * min(1.0, t * 1.15)) ** 1.5
        bw = fc / 2.5
        r = math.exp(-math.pi * bw / RATE)
        b = 2 * r * math.cos(TWO_PI * fc / RATE)
        c = -r * r
        s = rng.uniform(-1, 1)
        for k in range(2):
            v = (1 - r) * s + b * y[k][0] + c * y[k][1]
            y[k][1], y[k][0] = y[k][0], v
            s = v
        amp = math.sin(math.pi * t) ** 2.5 * (0.3 + 0.7 * t)
        out.append(s * amp)
    return out


# ----------------------------------------------------------------------------
# seamless loops

def make_loop(src, seconds, xfade, skip):
    """Cuts `seconds` out of src from `skip` on, with the material just past
    the end crossfaded (equal power) into the head, so that the last sample
    runs straight on into the first."""
    n = int(round(seconds * RATE))
    x = int(round(xfade * RATE))
    s = int(round(skip * RATE))
    if len(src) < s + n + x:
        sys.exit("soundgen: loop source too short")
    b = src[s:s + n + x]
    out = b[:n]
    for i in range(x):
        w = (i + 0.5) / x * math.pi / 2
        out[i] = b[i] * math.sin(w) + b[n + i] * math.cos(w)
    return out


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    cmd, out = argv[1], argv[2]
    args = argv[3:]
    if cmd == "babble":
        write_wav(out, babble(float(args[0]), int(args[1]), int(args[2]), args[3] == "1"))
    elif cmd == "shouts":
        write_wav(out, shouts(args[0], int(args[1])))
    elif cmd == "claps":
        write_wav(out, claps(float(args[0]), int(args[1]), int(args[2]), float(args[3]), float(args[4]),
                             len(args) < 6 or args[5] != "steady"))
    elif cmd == "whistle":
        write_wav(out, whistle(args[0]))
    elif cmd == "guitar":
        write_wav(out, guitar())
    elif cmd == "theme":
        write_wav(out, theme())
    elif cmd == "swoosh":
        write_wav(out, swoosh())
    elif cmd == "loop":
        src = read_wav(out)
        write_wav(args[0], make_loop(src, float(args[1]), float(args[2]), float(args[3])), 0.8)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
