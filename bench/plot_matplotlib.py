#!/usr/bin/python3
"""The Single Y graph of `vantora graph` drawn with matplotlib, for comparison.

Usage: plot_matplotlib.py LOCATION.loc OUT.jpg [WIDTHxHEIGHT]

Reads the location file with numpy (version 2 or 3, any channel count), plots
every channel against local time (linewidth 0.5, Agg) and saves a JPEG.
Records holding a mark below -200 (not available, over range) are left out,
as the graph builder leaves them out.
"""
import sys
import time

import numpy as np
import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import matplotlib.dates as mdates  # noqa: E402


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
    names = []
    for c in range(channels):
        d = data[18 + c * descriptor: 18 + (c + 1) * descriptor]
        units = np.frombuffer(d[descriptor - 50:], dtype="<u2")
        names.append("".join(chr(u & 0xFF) for u in units if u))
    t_bytes = time_bits // 8
    record = np.dtype([("tag", "u1"), ("t", "u1", (t_bytes,)), ("v", "<f4", (channels,))])
    whole = (len(data) - start) // record.itemsize
    records = np.frombuffer(data, dtype=record, count=min(count, whole), offset=start)
    records = records[records["tag"] == 0xFF]
    offsets = np.zeros(len(records), dtype=np.int64)
    for k in range(t_bytes):
        offsets += records["t"][:, k].astype(np.int64) << (8 * k)
    t0 = time.mktime((year, month, day, hour, minute, second, 0, 0, -1))
    values = records["v"].astype(np.float64)
    keep = ~(values < -200).any(axis=1)
    return names, t0 + offsets[keep], values[keep]


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    width, height = 1600, 1000
    if len(sys.argv) > 3:
        width, height = (int(v) for v in sys.argv[3].lower().split("x"))
    names, seconds, values = read_location(sys.argv[1])
    # Wall-clock times as matplotlib dates (the survey's first UTC offset).
    shift = time.localtime(seconds[0]).tm_gmtoff if len(seconds) else 0
    dates = (seconds + shift) / 86400.0 + mdates.date2num(np.datetime64("1970-01-01"))
    dpi = 100
    fig, ax = plt.subplots(figsize=(width / dpi, height / dpi), dpi=dpi)
    for c in range(values.shape[1]):
        ax.plot(dates, values[:, c], linewidth=0.5, label=names[c])
    ax.xaxis_date()
    ax.grid(True)
    ax.set_xlabel("Time (H:M:S)")
    fig.savefig(sys.argv[2], format="jpeg", dpi=dpi)


if __name__ == "__main__":
    main()
