#!/usr/bin/env python3
"""Writes the bench's language packs and installed games under a root folder.

For each pack NAME: NAME/pack holds setup.isc, copies.lst (the [FILES] entries as
key<TAB>value lines, for the floor programs) and the language files in subfolders;
NAME/game holds the product's executable and the empty destination subfolders.
Usage: make_packs.py ROOT NAME:COUNT:BYTES:PER_FOLDER ...
"""
import os
import sys

COMMON = ("[COMMON]\r\n"
          "ProductName=BenchProduct\r\n"
          "Version=120\r\n"
          "ProgramExe=BenchGame.exe\r\n"
          "FirmName=BenchFirm\r\n")


def make_pack(root, name, count, size, per_folder):
    pack = os.path.join(root, name, "pack")
    game = os.path.join(root, name, "game")
    os.makedirs(pack)
    os.makedirs(game)
    with open(os.path.join(game, "BenchGame.exe"), "wb") as exe:
        exe.write(b"MZ" + bytes(510))
    entries = []
    for i in range(count):
        folder = "s%03d" % (i // per_folder)
        key = "text\\%s\\msg%05d.lng" % (folder, i)
        value = "lang\\%s\\msg%05d.lng" % (folder, i)
        if i % per_folder == 0:
            os.makedirs(os.path.join(pack, "text", folder))
            os.makedirs(os.path.join(game, "lang", folder))
        with open(os.path.join(pack, "text", folder, "msg%05d.lng" % i), "wb") as f:
            f.write(os.urandom(size))
        entries.append((key, value))
    with open(os.path.join(pack, "setup.isc"), "w", newline="") as script:
        script.write(COMMON + "\r\n[FILES]\r\n")
        script.writelines("%s=%s\r\n" % entry for entry in entries)
    with open(os.path.join(pack, "copies.lst"), "w", newline="") as listing:
        listing.writelines("%s\t%s\r\n" % entry for entry in entries)


def main():
    root = sys.argv[1]
    for layout in sys.argv[2:]:
        name, count, size, per_folder = layout.split(":")
        make_pack(root, name, int(count), int(size), int(per_folder))


if __name__ == "__main__":
    main()
