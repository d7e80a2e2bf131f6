#!/usr/bin/python3
"""The numbers of `vantora exposure --json` computed with numpy, for comparison.

Usage: exposure_numpy.py LOCATION.loc LIMITS.csv SET

Reads the location file with numpy (version 2 or 3, any channel count; a
record whose tag is not 0xFF is left out, as the program's reader leaves it
out) and the rows of set SET in LIMITS.csv, and prints per channel: the
counts of readings, sampled time, span, coverage, sample TWA, the 8-hour TWA
and the STEL with their window starts, and for every limit in the channel's
own unit its result (STEL periods; counts, excursions, longest and total time
of ceiling, high and low limits). Rows are matched to a channel by parameter
code and by the channel's unit name: no unit is converted, so the limits
given must be in their channel's unit. Everything is vectorised; times are
whole seconds, window sums are read off piecewise linear cumulative sums.
"""
import csv
import json
import sys
import time

import numpy as np

TWA8, STEL = 28800, 900
# Unit names of the vocabulary's codes 0-19 (UTF-8).
UNIT_NAMES = ["°C", "°F", "K", "%RH", "ppm", "m/s", "ft/m", "µg/m3", "cfm", "m3/h", " ", "V",
              "l/s", "ppmw", "g/m^3", "lb/cu ft", "grains/cu ft", "%", "lb/lb", "grains/lb"]


def fail(path, why):
    raise SystemExit(f"{path}: {why}")


def read_location(path):
    data = open(path, "rb").read()
    if len(data) < 18:
        fail(path, "not a location file")
    version, copy, time_bits = data[0], data[1], data[2]
    if version != copy or version not in (2, 3) or time_bits not in (8, 16, 24):
        fail(path, "not a location file")
    if data[7] != 0x20 or data[16] != 0x40:
        fail(path, "damaged header")
    count = int.from_bytes(data[5:7], "little")
    hour, minute, second = data[8], data[9], data[10]
    day, month = data[12], data[13]
    year = int.from_bytes(data[14:16], "little")
    if year < 1900:
        year = 2000
    channels = data[17]
    if channels > 20:
        fail(path, "more than 20 channels")
    size = 57 if version == 3 else 55
    start = 18 + channels * size + (1 if version == 3 else 0)
    if len(data) < start:
        fail(path, "cut inside its header")
    codes = []
    for c in range(channels):
        d = data[18 + c * size: 18 + (c + 1) * size]
        if d[0] != 0x80:
            fail(path, "damaged header")
        if version == 3:
            codes.append((int.from_bytes(d[1:3], "little"), int.from_bytes(d[3:5], "little")))
        else:
            codes.append((d[1], d[2]))
    t_bytes = time_bits // 8
    record = np.dtype([("tag", "u1"), ("t", "u1", (t_bytes,)), ("v", "<f4", (channels,))])
    whole = (len(data) - start) // record.itemsize
    records = np.frombuffer(data, dtype=record, count=min(count, whole), offset=start)
    records = records[records["tag"] == 0xFF]
    offsets = np.zeros(len(records), dtype=np.int64)
    for k in range(t_bytes):
        offsets += records["t"][:, k].astype(np.int64) << (8 * k)
    t0 = int(time.mktime((year, month, day, hour, minute, second, 0, 0, -1)))
    return codes, t0, t0 + offsets, records["v"].astype(np.float64).reshape(len(records), channels)


def read_limits(path, wanted):
    """{parameter code: [(kind, value, unit)]} of set `wanted`, in row order."""
    rows = {}
    with open(path, newline="", encoding="utf-8-sig") as f:
        table = csv.reader(f)
        next(table)
        for row in table:
            if len(row) != 6 or row[0].strip() != wanted:
                continue
            rows.setdefault(int(row[1]), []).append(
                (row[2].strip().lower(), float(row[3]), row[4].strip()))
    return rows


def iso(t):
    local = time.localtime(int(t))
    offset = local.tm_gmtoff
    sign = "-" if offset < 0 else "+"
    offset = abs(offset)
    return time.strftime("%Y-%m-%dT%H:%M:%S", local) + \
        f"{sign}{offset // 3600:02d}:{offset // 60 % 60:02d}"


def above(a, b):
    """a > b at the single precision the readings are stored in."""
    a, b = np.asarray(a, dtype=np.float64), np.float64(b)
    if abs(b) > 1e37:
        return a > b
    big = np.abs(a) > 1e37
    with np.errstate(over="ignore"):
        return np.where(big, a > b, a.astype(np.float32) > np.float32(b))


def best_window(sums, qualifies, tolerance):
    """The earliest qualifying start whose sum equals the highest to rounding."""
    idx = np.flatnonzero(qualifies)
    if len(idx) == 0:
        return -1
    top = sums[idx].max()
    return int(idx[np.argmax(sums[idx] >= top - tolerance)])


def runs(flags):
    """Number of maximal runs of True."""
    flags = flags.astype(bool)
    return int(np.count_nonzero(flags[1:] & ~flags[:-1]) + (1 if len(flags) and flags[0] else 0))


class Windows:
    """Window sums over [t_r, t_r + L): the cumulative value-seconds and sampled
    seconds are piecewise linear in time with corners at every record's span
    start and end, which holds for times in any order."""

    def __init__(self, t, d):
        self.t, self.d = t, d
        self.x = np.unique(np.concatenate([t, t + d]))
        self.dx = np.diff(self.x)
        self.start = np.searchsorted(self.x, t)
        self.end = np.searchsorted(self.x, t + d)

    def cumulative(self, w, active):
        m = len(self.x)
        ws = np.where(active, w, 0.0)
        slope = np.cumsum(np.bincount(self.start, ws, m) - np.bincount(self.end, ws, m))
        count = np.cumsum(np.bincount(self.start, active, m) - np.bincount(self.end, active, m))
        count = np.rint(count).astype(np.int64)
        slope[count == 0] = 0.0  # nothing active: no rounding left behind
        f = np.concatenate([[0.0], np.cumsum(slope[:-1] * self.dx)])
        g = np.concatenate([[0], np.cumsum(count[:-1] * self.dx)])
        return f, g, slope, count

    def sums(self, cum, length):
        f, g, slope, count = cum

        def at(x):
            k = np.searchsorted(self.x, x, side="right") - 1
            kk = np.maximum(k, 0)
            fx = np.where(k < 0, 0.0, f[kk] + slope[kk] * (x - self.x[kk]))
            gx = np.where(k < 0, 0, g[kk] + count[kk] * (x - self.x[kk]))
            return fx, gx

        f0, g0 = at(self.t)
        f1, g1 = at(self.t + length)
        return f1 - f0, g1 - g0


def assess(codes, t0, t, values, limits):
    n = len(t)
    diff = np.diff(t)
    positive = diff[diff > 0]
    interval = int(np.partition(positive, (len(positive) - 1) // 2)[(len(positive) - 1) // 2]) \
        if len(positive) else 0
    d = np.zeros(n, dtype=np.int64)
    if n:
        d[:-1] = np.where(diff > 0, np.minimum(diff, interval), 0)
        d[-1] = interval
    # Without records the period is the header's start.
    location = {"start": iso(t[0] if n else t0), "end": iso(t[-1] if n else t0),
                "interval": interval if interval > 0 else None, "channels": []}
    windows = Windows(t, d) if n >= 2 and interval > 0 else None
    for c, (param, unit) in enumerate(codes):
        raw = values[:, c]
        with np.errstate(invalid="ignore"):
            na = ~np.isfinite(raw) | (raw < -666660.0)
            over = ~na & (raw < -200.0)
        real = ~na & ~over
        ch = {"index": c, "readings": int(real.sum()), "overRange": int(over.sum()),
              "notAvailable": int(na.sum()), "lowerBound": bool(over.any()), "limits": []}
        location["channels"].append(ch)
        reason = None
        if n < 2:
            reason = "fewer than two records"
        elif interval <= 0:
            reason = "no logging interval"
        elif not real.any():
            reason = "no real reading"
        sampled = ~na
        S = int(d[sampled].sum()) if reason is None else 0
        if reason is None and S <= 0:
            reason = "no sampled time"
        if reason is not None:
            ch.update(reason=reason, twaSample=None, twa8h=None, stel=None)
            continue
        v = np.where(over, raw[real].max(), np.where(real, raw, 0.0))
        span = int(t[-1] + interval - t[0])
        end_limit = t[-1] + interval
        vd = v * d
        ch["sampledSeconds"] = S
        ch["spanSeconds"] = span
        ch["coverage"] = 100.0 * S / span if span > 0 else 0.0
        ch["twaSample"] = float(vd[sampled].sum() / S)
        tolerance = float(np.abs(vd[sampled]).sum()) * 1e-12
        cum = windows.cumulative(v, sampled & (d > 0))

        sums8, _ = windows.sums(cum, TWA8)
        best = best_window(sums8, t + TWA8 <= end_limit, tolerance) if span > TWA8 else 0
        best = max(best, 0)
        ch["twa8h"] = {"value": float(sums8[best] / TWA8), "windowStart": iso(t[best]),
                       "shortSample": span < TWA8, "lowerBound": ch["lowerBound"]}

        ch["stel"] = None
        if interval <= STEL:
            sums15, covered = windows.sums(cum, STEL)
            stel_ok = sampled & (covered == STEL) & (t + STEL <= end_limit)
            means15 = sums15 / STEL
            best = best_window(sums15, stel_ok, tolerance)
            if best >= 0:
                ch["stel"] = {"value": float(means15[best]), "windowStart": iso(t[best]),
                              "lowerBound": ch["lowerBound"]}
        sv = v[sampled]
        highest, lowest = sv.max(), sv.min()
        for kind, limit, limit_unit in limits.get(param, []):
            if unit >= len(UNIT_NAMES) or limit_unit != UNIT_NAMES[unit]:
                continue
            result = {"kind": kind, "value": limit, "exceeded": False, "ratio": None}
            if kind == "twa8":
                value = ch["twa8h"]["value"]
                result["exceeded"] = bool(above(value, limit))
                result["ratio"] = value / limit if limit > 0 else None
            elif kind == "stel":
                result["periods"] = 0
                if ch["stel"] is not None:
                    value = ch["stel"]["value"]
                    result["exceeded"] = bool(above(value, limit))
                    result["ratio"] = value / limit if limit > 0 else None
                    result["periods"] = runs(stel_ok & above(means15, limit))
            else:
                low = kind == "low"
                beyond_real = above(-v, -limit) if low else above(v, limit)
                beyond = (over & (not low)) | (real & beyond_real)
                joined = np.zeros(n, dtype=bool)
                joined[1:] = beyond[:-1] & (diff <= interval)
                first = beyond & ~joined
                run = np.cumsum(first)
                lengths = np.bincount(run[beyond], d[beyond]) if beyond.any() else np.zeros(1)
                total = int(d[beyond].sum())
                result.update(count=int(beyond.sum()), excursions=int(first.sum()),
                              longestSeconds=int(lengths.max()), totalSeconds=total,
                              percent=100.0 * total / S, exceeded=bool(beyond.any()))
                if limit > 0 and (low or not over.any()):
                    result["ratio"] = float((lowest if low else highest) / limit)
            ch["limits"].append(result)
    return location


def main():
    if len(sys.argv) != 4:
        raise SystemExit(__doc__)
    codes, t0, t, values = read_location(sys.argv[1])
    location = assess(codes, t0, t, values, read_limits(sys.argv[2], sys.argv[3]))
    location["file"] = sys.argv[1]
    json.dump({"limitSet": sys.argv[3], "locations": [location]}, sys.stdout)
    sys.stdout.write("\n")


if __name__ == "__main__":
    main()
