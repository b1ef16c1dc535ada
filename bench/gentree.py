#!/usr/bin/env python3
"""Builds the benchmark tree: a seeded, repeatable mix of folders and files.

usage: gentree.py TARGET [--files N] [--dirs N] [--depth N] [--seed N]

Files are empty; names mix upper- and lower-case extensions, hidden names
and names without a dot. TARGET must not exist yet; a file ".complete" is
written last so that callers can tell a finished tree from an interrupted one.
"""
import argparse
import os
import random
import sys

EXTENSIONS = [
    # picture group, in several letter cases
    ("jpg", 10), ("JPG", 4), ("Jpg", 1), ("jpeg", 2), ("png", 5), ("PNG", 2), ("gif", 2), ("bmp", 1),
    ("tif", 1), ("TIFF", 1), ("wmf", 1),
    # everything else
    ("txt", 8), ("TXT", 1), ("pdf", 3), ("doc", 2), ("c", 6), ("h", 6), ("cpp", 5), ("o", 5), ("exe", 2),
    ("mp3", 3), ("wav", 1), ("html", 4), ("json", 4), ("py", 4), ("so", 2), ("log", 3), ("tar.gz", 1),
    ("jpg.bak", 1), ("JPEGX", 1),
]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("target")
    parser.add_argument("--files", type=int, default=200_000)
    parser.add_argument("--dirs", type=int, default=20_000)
    parser.add_argument("--depth", type=int, default=8)
    parser.add_argument("--seed", type=int, default=20261207)
    args = parser.parse_args()

    if os.path.exists(args.target):
        sys.exit(f"{args.target} exists already; pick a fresh name")
    rng = random.Random(args.seed)
    letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-"
    exts = [e for e, w in EXTENSIONS for _ in range(w)]

    def word(lo, hi):
        return "".join(rng.choice(letters) for _ in range(rng.randint(lo, hi)))

    os.makedirs(args.target)
    dirs = [(args.target, 0)]
    used = {args.target: set()}
    while len(dirs) < args.dirs:
        parent, depth = dirs[rng.randrange(len(dirs))]
        if depth >= args.depth:
            continue
        name = word(3, 12)
        if rng.random() < 0.03:
            name = "." + name
        if name.lower() in used[parent]:
            continue
        used[parent].add(name.lower())
        path = os.path.join(parent, name)
        os.mkdir(path)
        used[path] = set()
        dirs.append((path, depth + 1))

    made = 0
    while made < args.files:
        folder, _ = dirs[rng.randrange(len(dirs))]
        roll = rng.random()
        if roll < 0.05:
            name = word(4, 14)  # no dot
        elif roll < 0.10:
            name = "." + word(3, 10) + "." + rng.choice(exts)
        else:
            name = word(3, 16) + "." + rng.choice(exts)
        if name.lower() in used[folder]:
            continue
        used[folder].add(name.lower())
        os.close(os.open(os.path.join(folder, name), os.O_CREAT | os.O_WRONLY, 0o644))
        made += 1

    with open(os.path.join(args.target, ".complete"), "w") as marker:
        marker.write(f"{args.files} {args.dirs} {args.depth} {args.seed}\n")


if __name__ == "__main__":
    main()
