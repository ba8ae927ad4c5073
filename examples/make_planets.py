#!/usr/bin/env python3
"""Writes planets.csv: a central body and 40 planets on near-circular orbits.

With the default exponent 2 a body at distance r from a central gravity m is
pulled by 10000 * m / r^2 twips per tick per tick, so a circular orbit needs a
speed of sqrt(10000 * m / r) twips per tick.
"""
import math
import random

random.seed(7)
cx, cy, sol = 7680.0, 5760.0, 100.0
rows = ["body,posX,posY,momX,momY,gravity,outOfPlay,bodyType,colRed,colGreen,colBlue",
        f"0,{cx:g},{cy:g},0,0,{sol:g},0,0,255,255,128"]
for body in range(1, 41):
    r = 1200 + 3800 * (body - 1) / 39 + random.uniform(-60, 60)
    a = random.uniform(0, 2 * math.pi)
    v = math.sqrt(10000 * sol / r) * random.uniform(0.97, 1.03)
    x, y = cx + r * math.cos(a), cy + r * math.sin(a)
    mx, my = -v * math.sin(a), v * math.cos(a)
    rows.append(f"{body},{x:.3f},{y:.3f},{mx:.4f},{my:.4f},0.5,0,3,200,200,200")
with open("planets.csv", "w") as f:
    f.write("\n".join(rows) + "\n")
