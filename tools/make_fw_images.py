#!/usr/bin/env python3
"""Writes sample firmware images for trying the firmware page.

    python3 tools/make_fw_images.py <output folder>

k40-fw-1.05.img    a valid image: "$IMG", the version text "1.05" in the five
                   bytes after it (NUL-ended), then 299,991 bytes of body;
                   the emulated machine reports firmware 1.05 after it
wrong-signature.img  the same bytes starting "$img": refused by the page
three-bytes.img    "$IM" only: too short for the signature, refused

The body is the same on every run (a fixed linear congruential sequence),
so a received image can be compared byte for byte.
"""

import os
import sys

SIGNATURE = b"$IMG"
IMAGE_SIZE = 300000


def body(length, seed=0x4B40):
    out = bytearray(length)
    x = seed
    for i in range(length):
        x = (x * 1103515245 + 12345) & 0x7FFFFFFF
        out[i] = (x >> 16) & 0xFF
    return bytes(out)


def valid_image(version=b"1.05"):
    field = version[:5].ljust(5, b"\0")
    head = SIGNATURE + field
    return head + body(IMAGE_SIZE - len(head))


def main():
    if len(sys.argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    image = valid_image()
    files = {
        "k40-fw-1.05.img": image,
        "wrong-signature.img": b"$img" + image[4:],
        "three-bytes.img": SIGNATURE[:3],
    }
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
