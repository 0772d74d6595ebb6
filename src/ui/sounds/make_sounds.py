#!/usr/bin/env python3
"""Writes the program's three short sounds as 16-bit mono PCM wave files beside this script."""
import math
import struct
import wave
from pathlib import Path

RATE = 22050


def tone(freq, seconds, volume=0.45):
    count = int(RATE * seconds)
    fade = int(RATE * 0.01)
    samples = []
    for i in range(count):
        envelope = min(1.0, i / fade, (count - i) / fade)
        value = math.sin(2 * math.pi * freq * i / RATE) + 0.3 * math.sin(4 * math.pi * freq * i / RATE)
        samples.append(int(32767 * volume * envelope * value / 1.3))
    return samples


def write(name, notes):
    samples = []
    for freq, seconds in notes:
        samples += tone(freq, seconds) if freq else [0] * int(RATE * seconds)
    with wave.open(str(Path(__file__).with_name(name)), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(struct.pack("<%dh" % len(samples), *samples))


write("foundfax.wav", [(1318.5, 0.07), (0, 0.02), (1760.0, 0.11)])
write("nextsearch.wav", [(523.3, 0.1), (659.3, 0.1), (784.0, 0.16)])
write("finished.wav", [(784.0, 0.14), (659.3, 0.14), (523.3, 0.3)])
