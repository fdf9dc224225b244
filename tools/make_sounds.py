#!/usr/bin/env python3
"""Makes the three tick sounds in sounds/res/ (16-bit mono PCM, 44.1 kHz).

SecondTick: a 12 ms click at 2 kHz; MinuteTick: a 60 ms tone at 1 kHz;
WarnTick: two 50 ms beeps at 600 Hz. Each tone has a short raised-cosine
fade in and out so it does not pop. Run from the project root; the output is
committed, so this only needs running to change the sounds.
"""
import math, struct, wave

RATE = 44100

def tone(freq, ms, amp=0.6):
    n = int(RATE * ms / 1000)
    fade = max(1, int(RATE * 0.002))
    out = []
    for i in range(n):
        env = 1.0
        if i < fade:
            env = 0.5 - 0.5 * math.cos(math.pi * i / fade)
        elif i > n - fade:
            env = 0.5 - 0.5 * math.cos(math.pi * (n - i) / fade)
        out.append(amp * env * math.sin(2 * math.pi * freq * i / RATE))
    return out

def silence(ms):
    return [0.0] * int(RATE * ms / 1000)

def write(name, samples):
    with wave.open(f"sounds/res/{name}", "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", int(s * 32767)) for s in samples))

write("SecondTick.wav", tone(2000, 12))
write("MinuteTick.wav", tone(1000, 60))
write("WarnTick.wav", tone(600, 50) + silence(40) + tone(600, 50))
