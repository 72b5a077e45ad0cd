#!/usr/bin/env python3
"""Writes N bytes of deterministic, incompressible filler (so the demo package
weighs what a real one does)."""
import hashlib
import sys

path, size = sys.argv[1], int(sys.argv[2])
with open(path, "wb") as out:
    block, counter = b"", 0
    written = 0
    while written < size:
        block = hashlib.sha256(b"velquor-demo-%d" % counter).digest()
        counter += 1
        chunk = block[: size - written]
        out.write(chunk)
        written += len(chunk)
