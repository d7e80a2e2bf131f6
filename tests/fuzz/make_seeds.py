#!/usr/bin/env python3
"""Writes the seeds of the fuzz targets into tests/fuzz/corpus/.

The location files come from a download of the instrument simulator's
three-mode scenario (the one the transfer tests use) with `vantora transfer`;
the report, site table and dump conversion seeds are built from them and
from dumps laid out as the instrument stores them.

    VANTORA_BIN=build/bin tests/fuzz/make_seeds.py
"""
import os
import pathlib
import struct
import subprocess
import sys
import tempfile

HERE = pathlib.Path(__file__).resolve().parent
CORPUS = HERE / "corpus"
BIN = pathlib.Path(os.environ.get("VANTORA_BIN", "build/bin"))

SCENARIO = """\
version 2.3
site 1 Lab
location 5 Room
location 6 "Hall 2"
site 2 Plant
location 9 Boiler
log mode=1 location=5 start=3600 interval=60
channel 1 16 3 TEMPER C
channel 0 8 2 "REL HU" %
record 215 40
empty
record -12 -128
record 1000 127
log mode=2 location=6 start=7200
channel 2 32 3 "CARBON" ppm
channel 0 24 3 "X" y
record @7200 -1 8388607
record @7300 123456 -8388608
log mode=3 location=9 start=100000 interval=10
channel 3 -16 3 "DEW POINT" "\\x7f\\x46"
record -1
record 32767
"""


def download(folder):
    scenario = folder / "scenario.txt"
    scenario.write_text(SCENARIO)
    sim = subprocess.Popen([str(BIN / "corvane-sim"), str(scenario)], stdout=subprocess.PIPE,
                           stderr=subprocess.DEVNULL, text=True)
    try:
        device = sim.stdout.readline().strip()
        dest = folder / "dest"
        subprocess.run([str(BIN / "vantora"), "transfer", "--device", device, "--dest", str(dest)],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    finally:
        sim.terminate()
        sim.wait()
    return sorted(dest.rglob("*.loc"))


def channel_table(channels):
    out = bytes([len(channels)])
    for d, w, g, name, unit in channels:
        out += struct.pack("bbb", d, w, g) + name.ljust(6, b"\0")[:6] + unit.ljust(10, b"\0")[:10]
    return out


def dump_seed(sites, tables, logs, reserved=6):
    """[reserved][entries][site list][channel dump length][channel dump][log dump]"""
    entries = b""
    for site_id, name, locations in sites:
        entries += bytes([1, site_id]) + name.ljust(16, b"\0")
        for loc_id, loc_name in locations:
            entries += bytes([0, loc_id]) + loc_name.ljust(16, b"\0")
    area = b"".join(tables)
    b = (len(area) + 127) // 128 * 128
    start = 0x20000 - b - reserved
    offsets, at = [], 0
    for t in tables:
        offsets.append(start + at)
        at += len(t)
    chan = struct.pack("<I", b) + area.ljust(b, b"\0")
    log = b""
    for mode, location, t, table, records in logs:
        log += b"\x01" + b"\xaa" * 5 + bytes([mode, location]) + struct.pack(">IHI", t, len(records),
                                                                           offsets[table])
        if mode in (1, 3):
            log += struct.pack(">I", 60)
        for record in records:
            log += record
    return bytes([reserved, len(entries) // 18]) + entries + struct.pack(">H", len(chan)) + chan + log


def write(target, name, data):
    folder = CORPUS / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


def main():
    with tempfile.TemporaryDirectory() as tmp:
        files = [p.read_bytes() for p in download(pathlib.Path(tmp))]
    if not files:
        sys.exit("no location files were downloaded")
    for i, data in enumerate(files, 1):
        write("logfile", f"download{i}.loc", data)
        write("report", f"download{i}", bytes([i % 3]) + data)
    a, b, c = (files * 3)[:3]
    write("sitetable", "one", b"\x00" + a)
    write("sitetable", "three", b"\x02" + struct.pack(">H", len(a)) + a + struct.pack(">H", len(b))
          + b + c)

    temp = channel_table([(1, 16, 3, b"TEMPER", b"C"), (0, 8, 2, b"REL HU", b"%")])
    wide = channel_table([(2, 32, 3, b"CARBON", b"ppm"), (0, 24, 3, b"X", b"y")])
    sites = [(1, b"Lab", [(5, b"Room"), (6, b"Hall 2")]), (2, b"Plant", [(9, b"Boiler")])]
    write("dumpconvert", "three_modes", dump_seed(sites, [temp, wide], [
        (1, 5, 3600, 0, [b"\x02\x00\xd7\x28", b"\x00", b"\x02\xff\xf4\x80"]),
        (2, 6, 7200, 1, [b"\x02" + struct.pack(">I", 7200) + b"\xff\xff\xff\xff\x7f\xff\xff"]),
        (3, 9, 100000, 0, [b"\x02\x7f\xff\x01"]),
    ]))
    write("dumpconvert", "unknown_location", dump_seed([], [temp], [
        (1, 77, 3600, 0, [b"\x02\x00\x01\x02", b"\x02\x00\x03\x04"])]))


if __name__ == "__main__":
    main()
