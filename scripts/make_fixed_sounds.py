#!/usr/bin/env python3
"""Makes the fixed sounds that ship in res/zu_soundfix: short chimes and tones a program
plays before or after its speech (its Prefix Sound and Suffix Sound). Every sample is
computed here; the files are 16-bit mono PCM WAV at 11,025 Hz, a second or less each, the
form the voice pass reads and the card plays. Run it again after a change and commit the WAVs:
    python3 scripts/make_fixed_sounds.py
"""
import math
import os
import struct

RATE = 11025
PEAK = 0.6 * 32767


def bell(freq, start, length, decay):
    """A struck bell: the note and two quieter partials, dying away from `start` seconds."""
    partials = ((1.0, 1.0), (2.76, 0.35), (5.4, 0.12))

    def sample(t):
        t -= start
        if t < 0 or t >= length:
            return 0.0
        attack = min(1.0, t / 0.004)  # no click at the strike
        release = min(1.0, (length - t) / 0.02)  # nor at the end
        tone = sum(a * math.sin(2 * math.pi * freq * r * t) * math.exp(-decay * r * t) for r, a in partials)
        return attack * release * tone / 1.47

    return sample


def tone(freq, start, length):
    """A plain sine with soft edges."""

    def sample(t):
        t -= start
        if t < 0 or t >= length:
            return 0.0
        edge = min(1.0, t / 0.01, (length - t) / 0.01)
        return edge * math.sin(2 * math.pi * freq * t)

    return sample


def arpeggio(notes):
    """Bells struck one after another, 0.18 s apart, all ringing to the end of 0.8 s."""
    return [bell(f, 0.18 * k, 0.8 - 0.18 * k, 7.0) for k, f in enumerate(notes)]


def write_wav(path, seconds, parts):
    frames = bytearray()
    for i in range(int(seconds * RATE)):
        t = i / RATE
        value = max(-1.0, min(1.0, sum(p(t) for p in parts)))
        frames += struct.pack("<h", int(round(value * PEAK)))
    fmt = struct.pack("<HHIIHH", 1, 1, RATE, RATE * 2, 2, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(frames)) + frames
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body)) + body)


SOUNDS = {
    # name: (seconds, parts)
    "ding.wav": (0.6, [bell(1318.5, 0.0, 0.6, 6.0)]),
    "dingdong.wav": (1.0, [bell(659.3, 0.0, 0.5, 5.0), bell(523.3, 0.45, 0.55, 5.0)]),
    "chime_up.wav": (0.8, arpeggio((523.3, 659.3, 784.0, 1046.5))),
    "chime_down.wav": (0.8, arpeggio((1046.5, 784.0, 659.3, 523.3))),
    "beep.wav": (0.25, [tone(880.0, 0.0, 0.25)]),
    "beep_twice.wav": (0.5, [tone(880.0, 0.0, 0.18), tone(880.0, 0.3, 0.18)]),
}


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res", "zu_soundfix")
    os.makedirs(folder, exist_ok=True)
    for name, (seconds, parts) in SOUNDS.items():
        write_wav(os.path.join(folder, name), seconds, parts)


if __name__ == "__main__":
    main()
