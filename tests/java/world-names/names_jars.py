#!/usr/bin/env python3
"""Writes the world probe's name jars with Python's zipfile, a writer other than the JDK's.

names.jar: entries whose names URLs must escape or that decode to other entries' names,
each holding its own name. unflagged.jar: a class and resources named in UTF-8 without
the UTF-8 mark (bit 11), as Info-ZIP's zip and older tools write them.
usage: names_jars.py OUTPUT_DIR CLASSES_DIR
"""
import os
import sys
import zipfile

ROUND_TRIP = ["a+b c.txt", "a b c.txt", "my file.txt", "my%20file.txt", "100%.txt",
              "100%25.txt", "C++ ü.txt", "#?.txt", "中文/空 格.txt"]
# What a malformed escape, a NUL or a lone surrogate was once read as.
DECOYS = ["bad/A1", "bad/%41", "bad/?"]
FIXED_TIME = (2020, 1, 2, 3, 4, 6)


class UnflaggedInfo(zipfile.ZipInfo):
    """zipfile marks every name outside ASCII as UTF-8; this one keeps the mark off."""
    __slots__ = ()

    def _encodeFilenameFlags(self):
        return self.filename.encode("utf-8"), self.flag_bits & ~0x800


def write(path, entries, unflagged=False):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as jar:
        for name, data in entries:
            info = (UnflaggedInfo if unflagged else zipfile.ZipInfo)(name, FIXED_TIME)
            info.compress_type = zipfile.ZIP_DEFLATED
            jar.writestr(info, data)
    with zipfile.ZipFile(path) as check:
        for info in check.infolist():
            assert bool(info.flag_bits & 0x800) == (not unflagged and not info.filename.isascii())


def main(out, classes):
    os.makedirs(out, exist_ok=True)
    write(os.path.join(out, "names.jar"),
          [(name, name.encode("utf-8")) for name in ROUND_TRIP + DECOYS])
    with open(os.path.join(classes, "w2", "Ärger.class"), "rb") as f:
        ärger = f.read()
    write(os.path.join(out, "unflagged.jar"),
          [("w2/Ärger.class", ärger), ("w2/中文.txt", "中文 unflagged".encode("utf-8")),
           ("w2/Ärger.txt", "Ärger unflagged".encode("utf-8"))], unflagged=True)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
