#!/usr/bin/env python3
"""Writes the scenarios of the QEMU guest cases: each models the drives of one case as
QEMU's scsi-cd device answers (QEMU 7.2, hw/scsi/scsi-disk.c and hw/block/cdrom.c), so
that tessaly-sim predicts what the `tessaly` command prints in the guest.

What QEMU does that a real drive of the maker does not:
- every answer is zero-padded to the allocation length and no residual is reported, so
  the answers below are padded to the largest allocation length the program uses (a
  failed command reports no residual either);
- INQUIRY's additional length is the allocation length minus 5 (0x38 asked: 0x33);
- READ TOC takes its format from CDB byte 2 only: a full-TOC request in byte 9 bits 7-6
  (the SCSI readers' form) gets the format-0 table of contents;
- no ATIP (READ TOC format 4) and no write parameters page (05h): 5/24/00; no vendor
  pages (30h, 31h): 5/24/00; no vendor commands (F1h, DEh, C0h): 5/20/00, also when empty;
- READ DISC INFORMATION: a finished CD-ROM, lead-out fields zero;
- the kernel's sr driver may lock the tray when /dev/srN is opened: page 2Ah byte 6 bit 1
  then reads 1 (the program does not read it);
- without a medium every command but INQUIRY, MODE SENSE, RESERVE/RELEASE, START STOP
  and a few others ends in 2/3A/00 (a real drive says 2/3A/01 for a closed tray).

Run from this directory after changing it: python3 make_scenarios.py
"""
import json

ISO_BLOCKS = 175  # the disc image of tests/qemu/run-cases.sh, which checks its size
# The image larger than a CD (800 MiB) of the DVD case: QEMU then reports the DVD-ROM
# profile (GET CONFIGURATION) for it.
DVD_BLOCKS = 409600


def hexbytes(data):
    return " ".join(f"{b:02x}" for b in data)


def padded(data, length):
    out = bytearray(length)
    out[: len(data)] = data
    return bytes(out)


def inquiry(vendor, product, revision, allocation=0x38):
    b = bytearray(allocation)
    b[0] = 0x05  # CD/DVD device
    b[1] = 0x80  # removable
    b[2] = 0x05  # SPC-3
    b[3] = 0x12  # response format 2, HiSup
    b[4] = allocation - 5
    b[7] = 0x12  # synchronous transfer, command queueing (virtio-scsi)
    b[8:16] = vendor.ljust(8).encode()
    b[16:32] = product.ljust(16)[:16].encode()
    b[32:36] = revision.ljust(4).encode()
    return hexbytes(b)


# Page 2Ah: CD-R/RW read, no writing, 50x maximum and 16x current read speed (bytes
# 14-15: 2816 kB/s), 2 MB buffer; byte 4 bit 7 (under-run protection) clear.
PAGE_2A = bytes([0x2A, 0x14, 0x3B, 0x00, 0x7F, 0xFF, 0x2D, 0x00, 0x22, 0x60, 0x00, 0x02,
                 0x08, 0x00, 0x0B, 0x00, 0x00, 0x00, 0x0B, 0x00, 0x0B, 0x00])
# MODE SENSE(6): 4-byte header, no block descriptor; (10): 8-byte header.
MODE6_2A = padded(bytes([3 + len(PAGE_2A), 0, 0, 0]) + PAGE_2A, 255)
MODE10_2A = padded((6 + len(PAGE_2A)).to_bytes(2, "big") + bytes(6) + PAGE_2A, 256)
# READ DISC INFORMATION: 34 bytes, last session and disc complete, one session and track.
DISC_INFO = padded(bytes([0x00, 0x20, 0x0E, 0x01, 0x01, 0x01, 0x01, 0x20]), 256)
# READ CAPACITY: last block and block length.
CAPACITY = (ISO_BLOCKS - 1).to_bytes(4, "big") + (2048).to_bytes(4, "big")


# READ TOC format 0 in LBA form (the program asks without MSF): track 1 (data) at 0,
# lead-out (AAh) after an image of that many blocks.
def toc(blocks):
    return padded(bytes([0x00, 0x12, 0x01, 0x01, 0x00, 0x14, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,
                         0x00, 0x16, 0xAA, 0x00]) + blocks.to_bytes(4, "big"), 3000)


TOC = toc(ISO_BLOCKS)


def drive(model, vendor, product, revision, pressed_cd, dvd_blocks=0):
    d = {}
    if model:
        d["model"] = model
    d.update({"vendor": vendor.ljust(8), "product": product.ljust(16), "revision": revision,
              "peripheral": 5, "tray": "closed"})
    if pressed_cd:
        d["disc"] = {"kind": "cd-rom", "capacity_lba": ISO_BLOCKS - 1}
    if dvd_blocks:
        d["disc"] = {"kind": "dvd-rom", "capacity_lba": dvd_blocks - 1}
    answers = {"12": inquiry(vendor, product, revision), "1a/2a": hexbytes(MODE6_2A),
               "5a/2a": hexbytes(MODE10_2A)}
    fail = {}
    for mode_sense in ("1a", "5a"):
        for page in ("05", "30", "31"):
            fail[f"{mode_sense}/{page}"] = "05/24/00"
    if pressed_cd:
        answers.update({"51": hexbytes(DISC_INFO), "25": hexbytes(CAPACITY),
                        "43/0": hexbytes(TOC), "43/2": hexbytes(TOC)})
        fail["43/4"] = "05/24/00"
    elif dvd_blocks:
        # The same fabricated CD answers for the larger image; its profile, capacity and
        # missing DVD structures (READ DISC STRUCTURE of a DVD-ROM has no ID) from the
        # emulated drive.
        capacity = (dvd_blocks - 1).to_bytes(4, "big") + (2048).to_bytes(4, "big")
        answers.update({"51": hexbytes(DISC_INFO), "25": hexbytes(capacity),
                        "43/0": hexbytes(toc(dvd_blocks)), "43/2": hexbytes(toc(dvd_blocks))})
        fail["43/4"] = "05/24/00"
    else:
        for op in ("00", "25", "43", "51"):
            fail[op] = "02/3a/00"
    fail.update({"c0": "05/20/00", "de": "05/20/00", "f1": "05/20/00"})
    d["answers"] = answers
    d["fail"] = fail
    return d


def scenario(devices):
    # Pass-through without an ASPI manager, as on Linux; the OS line differs and is a
    # placeholder in the expected files.
    return {"os": {"platform": 2, "major": 5, "minor": 1, "build": 2600,
                   "service": "Service Pack 2"},
            "date": "2003-05-14",
            "adapters": [{"bus": "scsi", "identifier": "virtio_scsi", "scsi_id": 7,
                          "devices": devices}],
            "printer": {"width": 4800, "height": 6600}}


# The Linux edition gives /dev/srN the letter D: + N; the guest's kernel numbers the CD
# drives by target, so the lowest target is D:.
def device(target, letter, d):
    return {"target": target, "letter": letter, "drive": d}


CASES = {
    "pressed-cd": scenario([device(3, "D", drive("CD-R   VW1210A", "VARNOTH", "CD-R   VW1210A",
                                                 "1.04", True))]),
    "empty": scenario([device(3, "D", drive("CD-R   VW1210A", "VARNOTH", "CD-R   VW1210A",
                                            "1.04", False))]),
    "other-vendor": scenario([device(2, "D", drive(None, "OTHERCO", "DVD-ROM X16", "2.00",
                                                   True))]),
    # Named any-maker-*: the runner and the guest run the program with --any-maker.
    "any-maker-other-vendor": scenario([device(2, "D", drive(None, "OTHERCO", "DVD-ROM X16",
                                                             "2.00", True))]),
    "dvd-image": scenario([device(3, "D", drive("DVDR   VD0708A", "VARNOTH", "DVDR   VD0708A",
                                                "1.10", False, DVD_BLOCKS))]),
    "two-drives": scenario([
        device(1, "D", drive("CD-ROM VN40S", "VARNOTH", "CD-ROM VN40S", "1.10", True)),
        device(5, "E", drive("CD-R   VW2410A", "VARNOTH", "CD-R   VW2410A", "1.04", False))]),
}

if __name__ == "__main__":
    for name, content in CASES.items():
        with open(f"{name}.json", "w", encoding="ascii") as f:
            json.dump(content, f, indent=2)
            f.write("\n")
