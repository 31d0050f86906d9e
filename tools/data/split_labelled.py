#!/usr/bin/env python3
"""Derives the training and held-out files of a classifier from labelled
sources, so every shipped model can be retrained from committed data.

    split_labelled.py OUT_PREFIX SOURCE.tsv [SOURCE.tsv ...]

Each source line is "label TAB [other fields TAB] message": the first field
is the label and the last the message. Writes OUT_PREFIX.train.tsv and
OUT_PREFIX.test.tsv as "label TAB message"; a message goes to the held-out
tenth when the first byte of the MD5 of its text is below 26 (about one in
ten, the same choice on every run and for every model trained from it).
"""
import hashlib
import sys


def main(argv):
    if len(argv) < 3:
        sys.stderr.write(__doc__)
        return 2
    prefix, sources = argv[1], argv[2:]
    train, test = [], []
    for path in sources:
        with open(path, encoding="utf-8") as f:
            for number, line in enumerate(f, 1):
                line = line.rstrip("\n")
                if not line or line.startswith("#"):
                    continue
                fields = line.split("\t")
                if len(fields) < 2:
                    sys.stderr.write("%s:%d: needs a label and a message\n" % (path, number))
                    return 1
                label, message = fields[0].strip(), fields[-1].strip()
                held_out = hashlib.md5(message.encode("utf-8")).digest()[0] < 26
                (test if held_out else train).append(label + "\t" + message + "\n")
    for name, lines in (("train", train), ("test", test)):
        with open("%s.%s.tsv" % (prefix, name), "w", encoding="utf-8") as f:
            f.writelines(lines)
    print("%s: %d training, %d held out" % (prefix, len(train), len(test)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
