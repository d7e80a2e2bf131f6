#!/usr/bin/python3
"""The workbook of `vantora report` written with XlsxWriter, for comparison.

Usage: report_xlsxwriter.py (LOCATION.loc | SITE_DIR)... OUT.xlsx

Reads the location files with numpy (version 2 or 3, any channel count; a
folder's files in name order) and writes, in XlsxWriter's constant-memory
mode, row by row:
  - "Summary": a row per location with its start and end as date-time cells,
    duration and points;
  - "Exposure": a row per location and channel with its readings and the
    over-range and not-available marks counted (the exposure numbers
    themselves are left to the program: they take an engine of their own);
  - a sheet per location: "Date and time" and "<channel> (<unit code>)", one
    row per record with the local time as a date-time cell and each reading
    as a number in the channel's decimals, marks (below -200) as empty
    cells, the heading frozen, and a chart of every channel against time
    (scatter with straight lines, the gaps kept).
"""
import os
import sys
import time

import numpy as np
import xlsxwriter


def read_location(path):
    data = open(path, "rb").read()
    version, copy, time_bits = data[0], data[1], data[2]
    if version != copy or version not in (2, 3) or time_bits not in (8, 16, 24):
        raise SystemExit(f"{path}: not a location file")
    count = int.from_bytes(data[5:7], "little")
    hour, minute, second = data[8], data[9], data[10]
    day, month = data[12], data[13]
    year = int.from_bytes(data[14:16], "little")
    if year < 1900:
        year = 2000
    channels = data[17]
    descriptor = 57 if version == 3 else 55
    start = 18 + channels * descriptor + (1 if version == 3 else 0)
    names, units, decimals = [], [], []
    for c in range(channels):
        d = data[18 + c * descriptor: 18 + (c + 1) * descriptor]
        if version == 3:
            units.append(int.from_bytes(d[3:5], "little"))
            decimals.append(d[5])
        else:
            units.append(d[2])
            decimals.append(d[3])
        name = np.frombuffer(d[descriptor - 50:], dtype="<u2")
        names.append("".join(chr(u & 0xFF) for u in name if u))
    t_bytes = time_bits // 8
    record = np.dtype([("tag", "u1"), ("t", "u1", (t_bytes,)), ("v", "<f4", (channels,))])
    whole = (len(data) - start) // record.itemsize
    records = np.frombuffer(data, dtype=record, count=min(count, whole), offset=start)
    records = records[records["tag"] == 0xFF]
    offsets = np.zeros(len(records), dtype=np.int64)
    for k in range(t_bytes):
        offsets += records["t"][:, k].astype(np.int64) << (8 * k)
    t0 = time.mktime((year, month, day, hour, minute, second, 0, 0, -1))
    return names, units, decimals, t0 + offsets, records["v"].astype(np.float64)


def excel_serials(seconds):
    # Local wall-clock time as days since 30-Dec-1899.
    out = np.empty(len(seconds))
    for i, s in enumerate(seconds):
        tm = time.localtime(s)
        out[i] = (s + tm.tm_gmtoff) / 86400.0 + 25569.0
    return out


def number_format(decimals, magnitude):
    if decimals >= 200:
        digits = max(1, decimals - 200)
        d = digits - 1
        if magnitude > 0:
            d = digits - 1 - int(np.floor(np.log10(magnitude)))
    else:
        d = decimals
    d = min(max(d, 0), 15)
    return "0" if d == 0 else "0." + "0" * d


def sheet_name(name, used):
    clean = "".join("_" if c in "[]:*?/\\" or ord(c) < 32 else c for c in name) or "Location"
    candidate, k = clean[:31], 2
    while candidate.lower() in used:
        suffix = f" ({k})"
        candidate, k = clean[: 31 - len(suffix)] + suffix, k + 1
    used.add(candidate.lower())
    return candidate


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    files = []
    for arg in sys.argv[1:-1]:
        if os.path.isdir(arg):
            files += [os.path.join(arg, n) for n in sorted(os.listdir(arg)) if n.lower().endswith(".loc")]
        else:
            files.append(arg)
    locations = [(os.path.basename(f).split(".")[0], read_location(f)) for f in files]

    book = xlsxwriter.Workbook(sys.argv[-1], {"constant_memory": True})
    bold = book.add_format({"bold": True, "bg_color": "#D9D9D9", "bottom": 1})
    stamp = book.add_format({"num_format": "dd-mmm-yyyy hh:mm:ss"})
    duration = book.add_format({"num_format": "[h]:mm:ss"})
    summary = book.add_worksheet("Summary")
    exposure = book.add_worksheet("Exposure")
    used = {"summary", "exposure", "history"}
    sheets = [book.add_worksheet(sheet_name(name, used)) for name, _ in locations]

    for c, h in enumerate(["Location", "Start", "End", "Duration", "Points"]):
        summary.write_string(0, c, h, bold)
    for c, h in enumerate(["Location", "Channel", "Unit", "Readings", "Over range", "Not available"]):
        exposure.write_string(0, c, h, bold)
    row = 1
    for r, (name, (names, units, decimals, seconds, values)) in enumerate(locations):
        summary.write_string(r + 1, 0, name)
        if len(seconds):
            serial = excel_serials([seconds[0], seconds[-1]])
            summary.write_number(r + 1, 1, serial[0], stamp)
            summary.write_number(r + 1, 2, serial[1], stamp)
            summary.write_number(r + 1, 3, (seconds[-1] - seconds[0]) / 86400.0, duration)
        summary.write_number(r + 1, 4, len(seconds))
        for c in range(len(names)):
            v = values[:, c]
            exposure.write_string(row, 0, name)
            exposure.write_string(row, 1, names[c])
            exposure.write_number(row, 2, units[c])
            exposure.write_number(row, 3, int(np.count_nonzero(v >= -200)))
            exposure.write_number(row, 4, int(np.count_nonzero((v < -200) & (v >= -666660))))
            exposure.write_number(row, 5, int(np.count_nonzero(v < -666660)))
            row += 1

    for ws, (name, (names, units, decimals, seconds, values)) in zip(sheets, locations):
        ws.set_column(0, 0, 22)
        ws.set_column(1, len(names), 14)
        ws.freeze_panes(1, 0)
        ws.write_string(0, 0, "Date and time", bold)
        formats = []
        for c in range(len(names)):
            ws.write_string(0, c + 1, f"{names[c]} (unit {units[c]})", bold)
            real = values[:, c][values[:, c] >= -200]
            magnitude = float(np.max(np.abs(real))) if len(real) else 0.0
            formats.append(book.add_format({"num_format": number_format(decimals[c], magnitude)}))
        serials = excel_serials(seconds).tolist()
        for r, rec in enumerate(values.tolist()):
            ws.write_number(r + 1, 0, serials[r], stamp)
            for c, v in enumerate(rec):
                if v >= -200:
                    ws.write_number(r + 1, c + 1, v, formats[c])
        if len(seconds) == 0 or not names:
            continue
        chart = book.add_chart({"type": "scatter", "subtype": "straight"})
        chart.set_title({"name": name})
        n = len(seconds)
        for c in range(len(names)):
            chart.add_series({
                "name": [ws.name, 0, c + 1],
                "categories": [ws.name, 1, 0, n, 0],
                "values": [ws.name, 1, c + 1, n, c + 1],
                "marker": {"type": "none"},
                "line": {"width": 1},
            })
        chart.set_x_axis({"num_format": "dd-mmm hh:mm", "min": serials[0], "max": serials[-1]})
        chart.show_blanks_as("gap")
        chart.set_legend({"position": "bottom"})
        ws.insert_chart(1, len(names) + 2, chart, {"x_offset": 10, "x_scale": 2.0, "y_scale": 1.8})
    book.close()


if __name__ == "__main__":
    main()
