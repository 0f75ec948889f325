#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into corpus/<target>/ beside this script.

The seeds are committed; run this again only to change them. Every seed is a valid input
of its kind (a settings file, an image, messages a unit sends, report descriptors), so
the fuzzers start from the paths real inputs take.
"""
import pathlib
import re
import shutil
import struct
import zlib

HERE = pathlib.Path(__file__).resolve().parent
ROOT = HERE.parent.parent
CORPUS = HERE / "corpus"


def write(target, name, data):
    d = CORPUS / target
    d.mkdir(parents=True, exist_ok=True)
    (d / name).write_bytes(bytes(data))


# --- settings files: two bytes choosing the load filter's boxes, then the file ------------
ALL = b"\xff\x03"
NONE = b"\x00\x00"
CANCEL = b"\xff\x83"
defaults = (ROOT / "tests/settings/defaults.xml").read_bytes()


def settings(clutch, brake, throttle):
    def channel(name, body):
        return f"  <{name}>\n{body}  </{name}>\n"

    return (
        '<?xml version="1.0" encoding="UTF-8"?>\n'
        '<KorvelaxConfig version="1.0" model="quorvane">\n'
        + channel("Clutch", clutch)
        + channel("Break", brake)
        + channel("Throttle", throttle)
        + "</KorvelaxConfig>\n"
    ).encode()


def curve(calc, extra=""):
    return f"    <CalcType>{calc}</CalcType>\n{extra}"


zones = "    <DeadZoneMin>150</DeadZoneMin>\n    <DeadZoneMax>9800</DeadZoneMax>\n"
brake = ("    <DeadZoneMin>20</DeadZoneMin>\n    <MaxBreakForce>5000</MaxBreakForce>\n"
         "    <BreakOutputLimit>750</BreakOutputLimit>\n")
points = "    <Values>\n" + "".join(f"      <Value>{v}</Value>\n" for v in
                                    (50, 150, 250, 400, 500, 620, 780, 900, 1000)) + "    </Values>\n"
curves = settings(zones + curve(1, "    <ExpValue>-1500</ExpValue>\n"),
                  brake + curve(2, "    <OnePointOffset>-100</OnePointOffset>\n"
                                   "    <OnePointValue>200</OnePointValue>\n"),
                  zones + curve(3, points))
write("settings_reader", "defaults-all", ALL + defaults)
write("settings_reader", "defaults-none", NONE + defaults)
write("settings_reader", "defaults-cancel", CANCEL + defaults)
write("settings_reader", "curves-all", ALL + curves)
write("settings_reader", "curves-brake-only", b"\x78\x00" + curves)
write("settings_reader", "wrong-version", ALL + defaults.replace(b'version="1.0"', b'version="2.0"'))

# --- firmware images: 2048-byte leading block, 12-byte header, payload ---------------------


def image(payload, build):
    head = bytes(2048) + b"Qv" + struct.pack("<HII", build, 2048 + 12 + len(payload), 0)
    file = bytearray(head + payload)
    struct.pack_into("<I", file, 2048 + 8, zlib.crc32(file) & 0xFFFFFFFF)
    return bytes(file)


write("image_check", "valid-build18", image(bytes(range(40)), 18))
bad = bytearray(image(bytes(range(40)), 19))
bad[-1] ^= 0xFF
write("image_check", "crc-mismatch", bad)

# --- messages a unit sends (64 bytes each) -------------------------------------------------


def msg(*fields):
    b = bytes(fields)
    return b + bytes(64 - len(b))


def identity(build, year, month, day, serial):
    return msg(1, 0, 0, 0, *struct.pack("<HH", build, year), month, day, *struct.pack("<I", serial))


def config(ch, calc, params):
    head = struct.pack("<HHHHH", 100, 3900, 150, 9800, 1000)
    return msg(4, ch, *head, calc, *b"".join(struct.pack("<H", p) for p in params))


def values(*triples):
    return msg(16, *b"".join(struct.pack("<HHH", *t) for t in triples))


hello = identity(18, 2023, 5, 17, 0x2A)
configs = (config(0, 1, [31767]) + config(1, 2, [600, 400]) +
           config(2, 3, [100, 200, 300, 400, 500, 600, 700, 800, 900]))
stream = values((1000, 0, 0), (2000, 500, 400), (65535, 65535, 65535)) + values((0, 0, 0), (1, 1, 1), (2, 2, 2))
update = msg(32) * 3
save = msg(5)
sessions = {
    "start": hello + configs + stream,
    "old-build": identity(17, 2021, 2, 29, 7) + configs,
    "linear-configs": config(0, 0, []) + config(1, 0, []) + config(2, 0, []) + save,
    "update-requests": update + stream,
}
for name, data in sessions.items():
    write("messages", name, data)
# The dispatcher's inputs begin with two bytes setting the scene (see FuzzDispatcher.cpp).
write("dispatcher", "start", b"\x00\x00" + sessions["start"])
write("dispatcher", "start-painted", b"\x08\x00" + sessions["start"])
write("dispatcher", "start-confirm-both-units", b"\x06\x00" + sessions["start"] + sessions["old-build"])
write("dispatcher", "update", b"\x01\x20" + update * 4)
write("dispatcher", "save", b"\x00\x00" + sessions["linear-configs"])

# --- report descriptors: the pedal unit's and the golden ones of the discovery tests -------


def descriptors(header):
    text = re.sub(r"//[^\n]*", "", (ROOT / header).read_text())
    for name, body in re.findall(r"(\w+)\s*=\s*std::to_array<std::uint8_t>\(\{(.*?)\}\);", text, re.S):
        yield name, bytes(int(x, 16) for x in re.findall(r"0x[0-9A-Fa-f]+", body))


for header in ("pedal/PedalReportDescriptor.h", "tests/discovery/GoldenDescriptors.h"):
    for name, data in descriptors(header):
        write("report_descriptor", name.lower(), data)
