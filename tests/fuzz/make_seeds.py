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


def location(channels, records, version=3):
    """A location file: channels (param, unit, name), records (offset, values)."""
    head = bytes([version, version, 24, 0, 0]) + struct.pack("<H", len(records))
    head += bytes([0x20, 9, 0, 0, 0, 1, 6]) + struct.pack("<H", 2026) + bytes([0x40, len(channels)])
    for param, unit, name in channels:
        codes = struct.pack("<HH", param, unit) if version == 3 else bytes([param, unit])
        units = b"".join(struct.pack("<H", c) for c in name.ljust(25, b"\0")[:25])
        head += b"\x80" + codes + bytes([1, 6]) + units
    if version == 3:
        head += b"\0"
    body = b"".join(b"\xff" + struct.pack("<I", t)[:3] + struct.pack(f"<{len(v)}f", *v)
                    for t, v in records)
    return head + body


def exposure_seed(loc, limits):
    """[location length, 16-bit little-endian][location][limits text]"""
    return struct.pack("<H", len(loc)) + loc + limits.encode()


LIMITS = """set,parameter,kind,value,unit,source
Mine,CO,TWA8,25,ppm,house rule
Mine,Carbon Monoxide,STEL,30,ppm,house rule
Mine,3,ceiling,40,ppm,house rule
Mine,Temperature,low,68,\u00b0F,house rule
Mine,Temperature,high,26,\u00b0C,house rule
Mine,Toluene,TWA8,200,ppb,house rule
Mine,Relative Humidity,high,60,%RH,house rule
Mine,CO,TWA8,40,mg/m3,house rule
Mine,Ammonia,STEL,35,ppm,house rule
Other,CO2,high,1000,ppm,"quoted, source"
Other,CO,x,1,ppm,malformed
"""


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
    write("exposure", "download", exposure_seed(a, LIMITS))
    # Every minute for nine hours: a peak, over-range and not-available
    # readings, a gap, and a time that goes back.
    records = []
    for r in range(540):
        t = 60 * r + (3600 if r >= 300 else 0) - (120 if r == 200 else 0)
        co = 80.0 if 100 <= r < 115 else -999.0 if r == 250 else -999999.0 if r == 260 else 12.0
        records.append((t, [co, 21.0 + (r % 7), 45.0, 150.0 * (r % 4)]))
    survey = location([(3, 4, b"CO"), (0, 0, b"Temp"), (1, 3, b"RH"), (10004, 51, b"Toluene")],
                      records)
    write("exposure", "survey", exposure_seed(survey, LIMITS))
    write("exposure", "short_v2", exposure_seed(
        location([(4, 4, b"CO2"), (22, 51, b"NH3")],
                 [(10 * r, [900.0 + r, 150.0 * (r % 3)]) for r in range(40)], version=2), LIMITS))
    # Numbers at the ends of their range: a huge reading, tiny and huge limits.
    write("exposure", "extremes", exposure_seed(
        location([(3, 4, b"CO")], [(60 * r, [1e30 if r == 5 else 10.0]) for r in range(600)]),
        "set,parameter,kind,value,unit,source\nX,CO,ceiling,1e-300,ppm,x\nX,CO,TWA8,1e305,%,x\n"
        "X,CO,STEL,1e-310,ppm,x\nX,CO,high,-1e308,ppm,x\n"))
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
