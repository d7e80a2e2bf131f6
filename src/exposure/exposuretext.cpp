#include "exposure/exposuretext.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "common/codepage.h"
#include "common/jsontext.h"
#include "common/timetext.h"
#include "exposure/units.h"

namespace vantora::exposure {

namespace {

const char* const kGe = "\xE2\x89\xA5 ";   // "≥ "
const char* const kTimes = " \xC3\x97 ";   // " × "
const char* const kDash = "\xE2\x80\x94";  // "—"

// Numbers in these texts never follow the locale: a point, always.
std::string Fixed(double v, int decimals) {
  char text[400];
  auto r = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, decimals);
  if (r.ec != std::errc()) return JsonNumber(v);
  std::string s(text, r.ptr);
  if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
  return s;
}

std::string General(double v, int digits) {
  char text[64];
  auto r = std::to_chars(text, text + sizeof text, v, std::chars_format::general, digits);
  return r.ec == std::errc() ? std::string(text, r.ptr) : JsonNumber(v);
}

// A limit's own value as written: as few digits as give it back.
std::string LimitNumber(double v) {
  if (std::fabs(v) >= 1e15) return General(v, 6);
  return JsonNumber(v);
}

std::string Ratio(double r, bool lowerBound) {
  return std::string(lowerBound ? kGe : "") + Fixed(r, 2) + kTimes + "limit";
}

// Display width of UTF-8 text: its code points.
std::size_t Width(const std::string& s) {
  std::size_t w = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80) ++w;
  return w;
}

std::string LimitCell(const ChannelResult& ch, const LimitResult& l) {
  std::string text =
      std::string(LimitKindTitle(l.kind)) + " " + LimitNumber(l.value) + " " + l.unit;
  if (l.applicable && l.unit != ch.unit)
    text += " (" + ResultText(l.valueInChannelUnit, ch.decimals) + " " + ch.unit + ")";
  return text;
}

std::string Seconds(std::int64_t s) { return DurationText(s, true); }

std::string IntervalText(std::int64_t s) { return s < 60 ? std::to_string(s) + " s" : Seconds(s); }

std::string ResultCell(const ChannelResult& ch, const LimitResult& l) {
  if (!l.applicable) return "not applicable: " + l.reason;
  if (!ch.computed) return kDash;
  std::string text;
  switch (l.kind) {
    case LimitKind::Twa8:
      text = l.ratio ? Ratio(*l.ratio, ch.lowerBound) : std::string(kDash);
      text += ", from " + DateTimeText(ch.twa8h->windowStart);
      break;
    case LimitKind::Stel:
      if (!ch.stel) return "no fully sampled 15-minute period";
      text = l.ratio ? Ratio(*l.ratio, ch.lowerBound) : std::string(kDash);
      text += ", from " + DateTimeText(ch.stel->windowStart);
      if (l.periods > 0)
        text +=
            ", " + std::to_string(l.periods) + (l.periods == 1 ? " period" : " periods") + " above";
      break;
    case LimitKind::Ceiling:
    case LimitKind::High:
    case LimitKind::Low: {
      const bool low = l.kind == LimitKind::Low;
      const char* where = low ? "below" : "above";
      if (l.count == 0) {
        text = std::string("none ") + where;
        if (l.ratio) text += std::string(low ? ", lowest " : ", highest ") + Ratio(*l.ratio, false);
      } else {
        text = std::to_string(l.count) + (l.count == 1 ? " reading " : " readings ") + where +
               ", " + std::to_string(l.excursions) +
               (l.excursions == 1 ? " excursion" : " excursions") + ", longest " +
               Seconds(l.longestSeconds) + ", " + Fixed(l.percent, 1) + " % of the time";
        if (l.ratio) text += std::string(low ? ", lowest " : ", highest ") + Ratio(*l.ratio, false);
      }
      break;
    }
  }
  if (l.exceeded) text += " (exceeded)";
  return text;
}

std::string VerdictCell(const ChannelResult& ch) {
  std::string text = VerdictText(ch.verdict);
  if (!ch.reason.empty()) text += " (" + ch.reason + ")";
  return text;
}

std::string Optional(const std::optional<double>& v, const ChannelResult& ch) {
  return v ? ResultText(*v, ch.decimals, ch.lowerBound) : std::string(kDash);
}

std::string WindowCell(const std::optional<WindowResult>& w, const ChannelResult& ch) {
  return w ? ResultText(w->value, ch.decimals, w->lowerBound) : std::string(kDash);
}

std::string Iso(bool has, LogTime t) { return has ? JsonQuote(IsoLocalTime(t)) : "null"; }

}  // namespace

std::string ResultText(double value, int decimals, bool lowerBound) {
  std::string text;
  if (!std::isfinite(value)) {
    text = kDash;
  } else if (decimals >= 200) {
    text = General(value, std::clamp(decimals - 200, 3, 17));
  } else {
    int d = std::clamp(decimals, 0, 9);
    if (value != 0 && std::fabs(value) < 1e15) {
      const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(value))));
      d = std::clamp(std::max(d, 2 - magnitude), 0, 9);
    }
    text = std::fabs(value) >= 1e15 ? General(value, 6) : Fixed(value, d);
  }
  return lowerBound ? kGe + text : text;
}

bool VerdictBackground(Verdict verdict, std::uint8_t& r, std::uint8_t& g, std::uint8_t& b) {
  switch (verdict) {
    case Verdict::Exceeded: r = 0xF2, g = 0x8B, b = 0x82; return true;          // red
    case Verdict::InsufficientData: r = 0xFD, g = 0xD6, b = 0x63; return true;  // amber
    case Verdict::Within: r = 0x81, g = 0xC9, b = 0x95; return true;            // green
    case Verdict::NoLimits: break;
  }
  return false;
}

ExposureTable BuildTable(const LocationResult& location) {
  ExposureTable table;
  table.heading = {"Channel", "Unit",  "Coverage", "Sample TWA", "8-h TWA",
                   "STEL",    "Limit", "Result",   "Verdict"};
  for (const ChannelResult& ch : location.channels) {
    TableRow row;
    row.channel = ch.index;
    row.verdict = ch.verdict;
    row.cells = {ch.name,
                 ch.unit,
                 ch.computed ? Fixed(ch.coverage, 1) + " %" : std::string(kDash),
                 Optional(ch.twaSample, ch),
                 WindowCell(ch.twa8h, ch),
                 WindowCell(ch.stel, ch),
                 "",
                 "",
                 VerdictCell(ch)};
    // A short sample's 8-hour TWA counts the unsampled time as zero: a
    // number for concentrations only (zero degrees is no absence of heat).
    if (ch.twa8h && ch.twa8h->shortSample)
      row.cells[4] =
          (IsConcentration(ChannelUnit(ch.unitCode)) ? row.cells[4] : std::string(kDash)) +
          " (short sample)";
    if (ch.limits.empty()) {
      row.cells[6] = "no limit in this set";
      table.rows.push_back(row);
      continue;
    }
    for (std::size_t i = 0; i < ch.limits.size(); ++i) {
      TableRow r = i == 0 ? row : TableRow{};
      if (i > 0) {
        r.channelRow = false;
        r.channel = ch.index;
        r.verdict = ch.verdict;
        r.cells.assign(table.heading.size(), std::string());
      }
      r.limitExceeded = ch.limits[i].exceeded;
      r.cells[6] = LimitCell(ch, ch.limits[i]);
      r.cells[7] = ResultCell(ch, ch.limits[i]);
      table.rows.push_back(r);
    }
  }
  return table;
}

std::string AlignedText(const ExposureTable& table) {
  std::vector<std::size_t> widths(table.heading.size(), 0);
  auto measure = [&](const std::vector<std::string>& cells) {
    for (std::size_t i = 0; i < cells.size() && i < widths.size(); ++i)
      widths[i] = std::max(widths[i], Width(cells[i]));
  };
  measure(table.heading);
  for (const TableRow& r : table.rows) measure(r.cells);
  auto line = [&](const std::vector<std::string>& cells) {
    std::string out;
    for (std::size_t i = 0; i < cells.size(); ++i) {
      out += cells[i];
      if (i + 1 < cells.size()) out += std::string(widths[i] - Width(cells[i]) + 2, ' ');
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out + "\n";
  };
  std::string text = line(table.heading);
  for (const TableRow& r : table.rows) text += line(r.cells);
  return text;
}

std::string TabSeparatedText(const ExposureTable& table) {
  auto line = [](const std::vector<std::string>& cells) {
    std::string out;
    for (std::size_t i = 0; i < cells.size(); ++i) {
      std::string cell = cells[i];
      std::replace(cell.begin(), cell.end(), '\t', ' ');
      out += (i ? "\t" : "") + cell;
    }
    return out + "\n";
  };
  std::string text = line(table.heading);
  for (const TableRow& r : table.rows) text += line(r.cells);
  return text;
}

std::vector<std::string> LocationSummaryLines(const LocationResult& loc, const std::string& set) {
  std::vector<std::string> lines;
  lines.push_back(loc.name + " (" + loc.file + ")");
  if (loc.hasRecords) {
    lines.push_back("Period: " + DateTimeText(loc.start) + " to " + DateTimeText(loc.end) + ", " +
                    std::to_string(loc.records) + (loc.records == 1 ? " record" : " records") +
                    (loc.interval > 0 ? ", logging interval " + IntervalText(loc.interval) : ""));
  } else {
    lines.push_back("Period: no records");
  }
  lines.push_back("Limit set: " + set);
  lines.push_back(std::string("Verdict: ") + VerdictText(loc.verdict));
  return lines;
}

std::vector<std::string> SourceLines(const LocationResult& loc) {
  std::vector<std::string> lines;
  for (const ChannelResult& ch : loc.channels)
    for (const LimitResult& l : ch.limits) {
      std::string line = ch.name + ": " + LimitKindTitle(l.kind) + " " + LimitNumber(l.value) +
                         " " + l.unit + " " + kDash + " " +
                         (l.source.empty() ? std::string("no source given") : l.source);
      if (std::find(lines.begin(), lines.end(), line) == lines.end()) lines.push_back(line);
    }
  return lines;
}

std::string WorstResultText(const LocationResult& loc) {
  // The exceeded limit with the highest ratio, else the first exceeded one,
  // else the reason of the first channel without a verdict.
  const ChannelResult* bestChannel = nullptr;
  const LimitResult* best = nullptr;
  for (const ChannelResult& ch : loc.channels)
    for (const LimitResult& l : ch.limits) {
      if (!l.exceeded) continue;
      const bool better = !best || (l.ratio && (!best->ratio || *l.ratio > *best->ratio));
      if (better) {
        best = &l;
        bestChannel = &ch;
      }
    }
  if (best) {
    const ChannelResult& ch = *bestChannel;
    const std::string kind = LimitKindTitle(best->kind);
    if (best->kind == LimitKind::Twa8 || best->kind == LimitKind::Stel)
      return ch.name + ": " + kind + " " +
             (best->ratio ? Ratio(*best->ratio, ch.lowerBound) : std::string("above the limit"));
    const bool low = best->kind == LimitKind::Low;
    return ch.name + ": " + std::to_string(best->count) +
           (best->count == 1 ? " reading " : " readings ") + (low ? "below " : "above ") +
           (best->kind == LimitKind::Ceiling ? "the ceiling"
            : low                            ? "the low limit"
                                             : "the high limit") +
           (best->ratio ? " (" + std::string(low ? "lowest " : "highest ") +
                              Ratio(*best->ratio, false) + ")"
                        : std::string());
  }
  for (const ChannelResult& ch : loc.channels)
    if (ch.verdict == Verdict::InsufficientData) return ch.name + ": " + ch.reason;
  return std::string();
}

std::string MethodText() {
  return "Readings. A value below -666660 is not available: its time counts as not sampled. A "
         "value "
         "from -666660 to below -200 is over range: its time is sampled, and it is taken as the "
         "channel's highest real reading of the location, so the true value was at least that. A "
         "channel with any over-range reading shows its results as lower bounds (\xE2\x89\xA5). "
         "Records that cannot be read are left out.\n"
         "\n"
         "Sampled time. The logging interval I is the median of the positive differences between "
         "consecutive record times (the lower middle one of an even count). Each record stands for "
         "the time to the next record, at most I (nothing when the next record is not later); the "
         "last record stands for I. The sampled time is the sum over the records that hold a "
         "reading; coverage is the sampled time over the span from the first record to the last "
         "record plus I.\n"
         "\n"
         "Averages. The sample TWA is the mean of the readings weighted by the time each stands "
         "for. "
         "A window mean is the sum of each reading times the part of its time inside the window, "
         "divided by the window's length: unsampled time inside a window counts as zero. The "
         "8-hour "
         "TWA is the highest window mean over 8 hours starting at a record; when the span is 8 "
         "hours "
         "or less it is the window mean of the 8 hours from the first record, each reading times "
         "its time summed and divided by 8 hours (OSHA's E = \xCE\xA3"
         "CT / 8 h), and a shorter span "
         "is flagged as a short sample: unsampled time counted as zero. The STEL "
         "is the highest 15-minute window mean among windows that start at a record and are "
         "sampled "
         "throughout; the periods above a STEL limit are the runs of consecutive records whose "
         "windows qualify and exceed it. Among equal highest means the earliest window is "
         "reported.\n"
         "\n"
         "Ceiling, high and low limits are compared reading by reading: the readings beyond the "
         "limit, their runs (excursions: consecutive records no more than I apart), the longest "
         "run "
         "and the total time. An over-range reading is above every ceiling and high limit and "
         "below "
         "no low limit. NIOSH ceilings that carry a period (chlorine 15 minutes, hydrogen sulfide "
         "10 "
         "minutes, ethylene oxide 10 minutes a day) are compared reading by reading here, which is "
         "stricter than the REL.\n"
         "\n"
         "Units. Limits are converted to the channel's unit: ppm, ppb and % by factors of 1000 and "
         "10,000; ppm to mass per volume at 25 \xC2\xB0"
         "C and 1 atm (mg/m3 = ppm \xC3\x97 MW / "
         "24.45) with the molecular weight from standard atomic weights; \xC2\xB0"
         "C, \xC2\xB0"
         "F "
         "and K; %RH only to %RH. A limit whose unit does not convert is listed as not applicable "
         "and never compared. Readings are stored in single precision and are compared with limits "
         "at that precision.\n"
         "\n"
         "Verdicts. \"exceeded\": a TWA or STEL above its limit, or any reading beyond a ceiling, "
         "high or low limit, whatever the coverage. \"insufficient data\": nothing could be "
         "computed, coverage is below 75 %, a limit needs a result that could not be computed, the "
         "results are lower bounds, or the sample is shorter than 8 hours and an 8-hour limit "
         "applies (a zero-filled short sample below its limit proves nothing). \"within\": "
         "otherwise. \"no limits\": no limit of the set applies. A location's verdict is its worst "
         "channel's.\n";
}

std::string LocationText(const LocationResult& loc, const std::string& set) {
  std::string text;
  for (const std::string& line : LocationSummaryLines(loc, set)) text += line + "\n";
  text += "\n" + AlignedText(BuildTable(loc));
  std::vector<std::string> sources = SourceLines(loc);
  if (!sources.empty()) {
    text += "\nLimits:\n";
    for (const std::string& s : sources) text += "  " + s + "\n";
  }
  return text;
}

std::string ExposureJson(const std::vector<LocationResult>& locations, const std::string& set) {
  std::string j = "{\"limitSet\": " + JsonQuote(set) + ", \"locations\": [";
  for (std::size_t li = 0; li < locations.size(); ++li) {
    const LocationResult& loc = locations[li];
    j += std::string(li ? ",\n" : "\n") + " {\"name\": " + JsonQuote(loc.name) +
         ", \"file\": " + JsonQuote(loc.file) + ", \"start\": " + Iso(loc.hasStart, loc.start) +
         ", \"end\": " + Iso(loc.hasStart, loc.end) + ", \"interval\": " +
         (loc.interval > 0 ? std::to_string(loc.interval) : std::string("null")) +
         ", \"verdict\": " + JsonQuote(VerdictText(loc.verdict)) + ", \"channels\": [";
    for (std::size_t ci = 0; ci < loc.channels.size(); ++ci) {
      const ChannelResult& ch = loc.channels[ci];
      j += std::string(ci ? ",\n" : "\n") + "  {\"index\": " + std::to_string(ch.index) +
           ", \"name\": " + JsonQuote(ch.name) + ", \"parameter\": " + JsonQuote(ch.parameter) +
           ", \"unit\": " + JsonQuote(ch.unit) + ", \"readings\": " + std::to_string(ch.readings) +
           ", \"overRange\": " + std::to_string(ch.overRange) +
           ", \"notAvailable\": " + std::to_string(ch.notAvailable) +
           ", \"lowerBound\": " + JsonBool(ch.lowerBound) +
           ", \"sampledSeconds\": " + std::to_string(ch.sampledSeconds) +
           ", \"spanSeconds\": " + std::to_string(ch.spanSeconds) +
           ", \"coverage\": " + JsonNumber(ch.coverage) +
           ", \"twaSample\": " + JsonNumber(ch.twaSample) + ", \"twa8h\": ";
      if (ch.twa8h)
        j += "{\"value\": " + JsonNumber(ch.twa8h->value) +
             ", \"windowStart\": " + JsonQuote(IsoLocalTime(ch.twa8h->windowStart)) +
             ", \"shortSample\": " + JsonBool(ch.twa8h->shortSample) +
             ", \"lowerBound\": " + JsonBool(ch.twa8h->lowerBound) + "}";
      else
        j += "null";
      j += ", \"stel\": ";
      if (ch.stel)
        j += "{\"value\": " + JsonNumber(ch.stel->value) +
             ", \"windowStart\": " + JsonQuote(IsoLocalTime(ch.stel->windowStart)) +
             ", \"lowerBound\": " + JsonBool(ch.stel->lowerBound) + "}";
      else
        j += "null";
      j += ", \"limits\": [";
      for (std::size_t k = 0; k < ch.limits.size(); ++k) {
        const LimitResult& l = ch.limits[k];
        j += std::string(k ? ", " : "") + "{\"kind\": " + JsonQuote(LimitKindName(l.kind)) +
             ", \"value\": " + JsonNumber(l.value) + ", \"unit\": " + JsonQuote(l.unit) +
             ", \"valueInChannelUnit\": " +
             (l.applicable ? JsonNumber(l.valueInChannelUnit) : std::string("null")) +
             ", \"source\": " + JsonQuote(l.source) +
             ", \"applicable\": " + JsonBool(l.applicable) +
             ", \"reason\": " + (l.reason.empty() ? std::string("null") : JsonQuote(l.reason)) +
             ", \"exceeded\": " + JsonBool(l.exceeded) + ", \"ratio\": " + JsonNumber(l.ratio);
        if (l.kind == LimitKind::Stel) j += ", \"periods\": " + std::to_string(l.periods);
        if (l.kind == LimitKind::Ceiling || l.kind == LimitKind::High || l.kind == LimitKind::Low)
          j += ", \"count\": " + std::to_string(l.count) +
               ", \"excursions\": " + std::to_string(l.excursions) +
               ", \"longestSeconds\": " + std::to_string(l.longestSeconds) +
               ", \"totalSeconds\": " + std::to_string(l.totalSeconds) +
               ", \"percent\": " + JsonNumber(l.percent);
        j += "}";
      }
      j += "], \"verdict\": " + JsonQuote(VerdictText(ch.verdict)) +
           ", \"reason\": " + (ch.reason.empty() ? std::string("null") : JsonQuote(ch.reason)) +
           "}";
    }
    j += "]}";
  }
  return j + "]}\n";
}

std::vector<std::string> LimitRowCells(const LimitRow& row) {
  return {row.parameter, LimitKindName(row.kind), LimitNumber(row.value) + " " + row.unit,
          row.source.empty() ? std::string("no source given") : row.source};
}

std::string LimitSetsText(const LimitLibrary& library) {
  std::string text;
  for (const LimitSet& set : library.Sets()) {
    text += set.name + "\n";
    for (const LimitRow& row : set.rows) {
      const std::vector<std::string> cells = LimitRowCells(row);
      text +=
          "  " + cells[0] + "  " + cells[1] + " " + cells[2] + "  " + kDash + " " + cells[3] + "\n";
    }
    text += "\n";
  }
  return text;
}

}  // namespace vantora::exposure
