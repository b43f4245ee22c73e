#!/usr/bin/env python3
"""Writes the seed corpus of the message reader's fuzz target: one valid
message of each kind, framed as the target reads its input (a state byte, a
variant byte, then each message as a 2-byte little-endian length and its
bytes). Run from the repository's root: tools/make_fuzz_seeds.py"""
import os
import struct

# The states of the target, in its order.
LOBBY, LOCAL_TURN, WATCHING, AFTER_A_FLIGHT, AT_A_PICTURE, FIELD_GOAL = range(6)


def string(text):
    data = text.encode()
    return b"\x01" + struct.pack("<I", len(data)) + data


def long(value):
    return b"\x02" + struct.pack("<i", value)


def single(value):
    return b"\x03" + struct.pack("<f", value)


def shot(kind, force):
    pose = [0.0, 0.0, 85.0, force, 0.0, 0.0, -1.0, 0.0, 1.0, 0.0]
    return string(kind) + b"".join(single(v) for v in pose) + long(1)


SEEDS = {
    "flick": (WATCHING, 40, shot("Flick", 64.0)),
    "goal": (FIELD_GOAL, 0, shot("Goal", 90.0)),
    # A flick let go right after a kick carries what the kick left: -48/40.
    "flick_after_a_kick": (WATCHING, 0, shot("Flick", -1.2)),
    "message": (LOCAL_TURN, 0, string("MESSAGE") + string("hello there")),
    "version": (LOBBY, 0, string("Version") + string("KW") + long(1)),
    "score": (WATCHING, 0, string("Score") + long(6) + long(3) + long(2)),
    "result": (WATCHING, 0, string("RESULT") + long(3)),
    "continue": (AT_A_PICTURE, 2, string("Continue")),
    "end": (LOCAL_TURN, 0, string("END")),
    "over": (AFTER_A_FLIGHT, 7, string("OVER")),
}

# Repeated messages (the top bit of the state byte): each message comes with
# a count byte, n for 1 + 3 n copies.
REPEATED = {
    # After the peer's last attempt, flick upon flick without force.
    "flicks_after_the_last": (AFTER_A_FLIGHT, 0, [(200, shot("Flick", 0.0))]),
    # Kick upon kick while the point after waits for one.
    "kicks_in_the_field_goal": (FIELD_GOAL, 0, [(200, shot("Goal", 90.0))]),
}

folder = os.path.join("tests", "fuzz", "corpus")
os.makedirs(folder, exist_ok=True)
for name, (where, variant, message) in SEEDS.items():
    with open(os.path.join(folder, name), "wb") as f:
        f.write(bytes([where, variant]) + struct.pack("<H", len(message)) + message)
for name, (where, variant, messages) in REPEATED.items():
    with open(os.path.join(folder, name), "wb") as f:
        f.write(bytes([where | 0x80, variant]))
        for count, message in messages:
            f.write(bytes([count]) + struct.pack("<H", len(message)) + message)
