// Scale label texts, tick positions, automatic ranges and layout.
#include "chart/chartlayout.h"

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vantora::chart {

namespace {

constexpr double kSecondsPerDay = 86400.0;
// OLE dates of 1 January 100 and 31 December 9999: outside them dates are
// clamped so that calendar arithmetic stays in range.
constexpr double kOleMin = -657434.0;
constexpr double kOleMax = 2958465.999988;
// No scale gets more ticks than this, whatever its range.
constexpr long long kMaxTicks = 1000;

const char* const kMonths[12] = {"January",   "February", "March",    "April",
                                 "May",       "June",     "July",     "August",
                                 "September", "October",  "November", "December"};
const char* const kDays[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                              "Thursday", "Friday", "Saturday"};

// Days since 1970-01-01 of a proleptic Gregorian date.
long long DaysFromCivil(long long y, int m, int d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

const long long kOleEpoch = DaysFromCivil(1899, 12, 30);

void AppendNumber(std::string& out, long long v, int digits) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*lld", digits, v);
  out += buf;
}

int Gap(int labelHeight) { return std::max(4, labelHeight / 2); }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines(1);
  for (char c : text) {
    if (c == '\n')
      lines.emplace_back();
    else if (c != '\r')
      lines.back().push_back(c);
  }
  return lines;
}

// Width and height of a possibly multi-line text, before rotation.
void TextBox(const std::string& text, int px, const TextMeasure& measure, int& w, int& h) {
  const auto lines = Lines(text);
  w = 0;
  for (const auto& l : lines) w = std::max(w, measure.Width(l, px));
  h = static_cast<int>(lines.size()) * measure.Height(px);
}

enum class StepFit { Fits, Overlaps, Empty, TooMany };

// Ticks at whole multiples of step (plus offset) inside [min, max], their
// labels centred on them; stops at the first pair of labels closer than the
// gap, or equal when `distinct` asks for different ones (a format that
// cannot tell the steps apart).
template <class Label>
StepFit TryStep(double min, double max, double step, double offset, int lengthPx, bool horizontal,
                int fontPx, const TextMeasure& measure, const Label& label, bool distinct,
                std::vector<Tick>& ticks) {
  ticks.clear();
  const double first = std::ceil((min - offset) / step - 1e-9);
  const double last = std::floor((max - offset) / step + 1e-9);
  if (!(last - first < kMaxTicks)) return StepFit::TooMany;
  if (last < first) return StepFit::Empty;
  const double span = max - min;
  const int height = measure.Height(fontPx);
  // Vertical labels stand two lines apart, horizontal ones a character apart.
  const int gap = horizontal ? Gap(height) : height;
  const double spacing = span > 0 ? step / span * lengthPx : 0;
  if (last > first && !horizontal && spacing < height + gap) return StepFit::Overlaps;
  int prevSize = 0;
  const auto count = static_cast<long long>(last - first) + 1;
  for (long long i = 0; i < count; ++i) {
    double v = offset + (first + static_cast<double>(i)) * step;
    if (v == 0) v = 0;  // no "-0.00"
    Tick t{v, label(v)};
    const int size = horizontal ? measure.Width(t.label, fontPx) : height;
    if (!ticks.empty()) {
      if (spacing < (prevSize + size) / 2.0 + gap) return StepFit::Overlaps;
      if (distinct && t.label == ticks.back().label &&
          std::any_of(t.label.begin(), t.label.end(),
                      [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
        return StepFit::Overlaps;
    }
    prevSize = size;
    ticks.push_back(std::move(t));
  }
  return StepFit::Fits;
}

// The first candidate step (ascending) whose labels fit; when even the
// fewest ticks overlap, one tick. Labels must differ at steps below
// `distinctBelow`.
template <class Label, class NextStep>
std::vector<Tick> ChooseTicks(double min, double max, double step, double offset, int lengthPx,
                              bool horizontal, int fontPx, const TextMeasure& measure,
                              const Label& label, const NextStep& next,
                              double distinctBelow = HUGE_VAL) {
  std::vector<Tick> ticks;
  double crowded = 0;  // the last step that had ticks, all too close
  for (int guard = 0; guard < 400 && std::isfinite(step) && step > 0; ++guard, step = next(step)) {
    const StepFit fit = TryStep(min, max, step, offset, lengthPx, horizontal, fontPx, measure,
                                label, step < distinctBelow, ticks);
    if (fit == StepFit::Fits) return ticks;
    if (fit == StepFit::Empty) break;
    if (fit == StepFit::Overlaps) crowded = step;
  }
  if (crowded > 0) {
    // The middle one of its ticks.
    const double first = std::ceil((min - offset) / crowded - 1e-9);
    const double last = std::floor((max - offset) / crowded + 1e-9);
    double v = offset + std::floor((first + last) / 2) * crowded;
    if (v == 0) v = 0;
    return {{v, label(v)}};
  }
  return {{min, label(min)}};
}

template <class Label>
std::vector<Tick> Ends(double min, double max, const Label& label) {
  if (min == max) return {{min, label(min)}};
  return {{min, label(min)}, {max, label(max)}};
}

// A scale left with fewer than two labelled ticks labels its two ends when
// they fit apart (and tell the ends apart).
template <class Label>
std::vector<Tick> EndsWhenFew(std::vector<Tick> ticks, double min, double max, int lengthPx,
                              bool horizontal, int fontPx, const TextMeasure& measure,
                              const Label& label) {
  if (ticks.size() >= 2 || !(max > min)) return ticks;
  std::vector<Tick> ends = Ends(min, max, label);
  if (ends[0].label == ends[1].label) return ticks;
  const int height = measure.Height(fontPx);
  const double need =
      horizontal
          ? (measure.Width(ends[0].label, fontPx) + measure.Width(ends[1].label, fontPx)) / 2.0 +
                Gap(height)
          : 2.0 * height;
  return lengthPx >= need ? ends : ticks;
}

bool Sane(double& min, double& max) {
  if (!std::isfinite(min) || !std::isfinite(max)) return false;
  if (min > max) std::swap(min, max);
  return true;
}

// 1, 2, 5 times a power of ten following `step`.
double NextDecimalStep(double step) {
  const double p = std::pow(10.0, std::floor(std::log10(step) + 1e-9));
  const double m = step / p;
  if (m < 1.5) return 2 * p;
  if (m < 3.5) return 5 * p;
  return 10 * p;
}

double NiceStepAtLeast(double raw) {
  const double p = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0, 10.0}) {
    if (m * p >= raw) return m * p;
  }
  return 10 * p;
}

// Seconds of the time steps below a day.
const int kTimeSteps[] = {1,   2,   5,    10,   15,   30,    60,    120,   300,
                          600, 900, 1800, 3600, 7200, 10800, 21600, 43200, 86400};

}  // namespace

int PointsToPixels(int points, double dpi) {
  if (!(dpi > 0) || !std::isfinite(dpi)) dpi = 96;
  dpi = std::min(dpi, 10000.0);
  points = std::clamp(points, 1, 1000);
  return std::max(1, static_cast<int>(std::lround(points * dpi / 72.0)));
}

double OleDate(int year, int month, int day, int hour, int minute, int second) {
  // Months outside 1..12 carry into the year.
  long long y = year + static_cast<long long>(std::floor((month - 1) / 12.0));
  const int m = static_cast<int>(((month - 1) % 12 + 12) % 12) + 1;
  const long long days = DaysFromCivil(y, m, 1) + (day - 1) - kOleEpoch;
  return static_cast<double>(days) +
         (hour * 3600.0 + minute * 60.0 + static_cast<double>(second)) / kSecondsPerDay;
}

CivilTime CivilFromOle(double ole) {
  if (std::isnan(ole)) ole = 0;
  ole = std::clamp(ole, kOleMin, kOleMax);
  const long long total = std::llround(ole * kSecondsPerDay);
  long long days = total / 86400;
  long long secs = total % 86400;
  if (secs < 0) {
    secs += 86400;
    --days;
  }
  CivilTime t;
  CivilFromDays(days + kOleEpoch, t.year, t.month, t.day);
  t.hour = static_cast<int>(secs / 3600);
  t.minute = static_cast<int>(secs / 60 % 60);
  t.second = static_cast<int>(secs % 60);
  t.weekday = static_cast<int>(((days % 7) + 7 + 6) % 7);  // day 0 was a Saturday
  t.yearDay = static_cast<int>(days + kOleEpoch - DaysFromCivil(t.year, 1, 1));
  return t;
}

std::string FormatOleDate(const std::string& format, double ole) {
  const CivilTime t = CivilFromOle(ole);
  std::string out;
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c != '%' || i + 1 == format.size()) {
      out.push_back(c);
      continue;
    }
    const char f = format[++i];
    switch (f) {
      case 'H': AppendNumber(out, t.hour, 2); break;
      case 'M': AppendNumber(out, t.minute, 2); break;
      case 'S': AppendNumber(out, t.second, 2); break;
      case 'd': AppendNumber(out, t.day, 2); break;
      case 'm': AppendNumber(out, t.month, 2); break;
      case 'b': out.append(kMonths[t.month - 1], 3); break;
      case 'B': out += kMonths[t.month - 1]; break;
      case 'y': AppendNumber(out, ((t.year % 100) + 100) % 100, 2); break;
      case 'Y': AppendNumber(out, t.year, 1); break;
      case 'j': AppendNumber(out, t.yearDay + 1, 3); break;
      case 'a': out.append(kDays[t.weekday], 3); break;
      case 'A': out += kDays[t.weekday]; break;
      case 'p': out += t.hour < 12 ? "AM" : "PM"; break;
      case 'I': AppendNumber(out, (t.hour + 11) % 12 + 1, 2); break;
      case '%': out.push_back('%'); break;
      default: out.push_back('%'); out.push_back(f);
    }
  }
  return out;
}

std::string FormatDecimal(const std::string& format, double value) {
  constexpr std::size_t kMaxOut = 64;
  // Check the format: text, "%%", and exactly one conversion
  // %[-+ #0]*[width<=2 digits][.precision<=2 digits][feEgG].
  int conversions = 0;
  bool valid = format.size() <= kMaxOut;
  for (std::size_t i = 0; valid && i < format.size(); ++i) {
    if (format[i] != '%') continue;
    if (++i >= format.size()) {
      valid = false;
      break;
    }
    if (format[i] == '%') continue;
    while (i < format.size() && std::string("-+ #0").find(format[i]) != std::string::npos) ++i;
    int digits = 0;
    while (i < format.size() && std::isdigit(static_cast<unsigned char>(format[i]))) ++i, ++digits;
    if (digits > 2) valid = false;
    if (i < format.size() && format[i] == '.') {
      ++i;
      digits = 0;
      while (i < format.size() && std::isdigit(static_cast<unsigned char>(format[i])))
        ++i, ++digits;
      if (digits > 2) valid = false;
    }
    if (i >= format.size() || std::string("feEgG").find(format[i]) == std::string::npos)
      valid = false;
    ++conversions;
  }
  if (!valid || conversions != 1) return format.substr(0, kMaxOut);
  // Large enough for any double at width and precision 99.
  char buf[512];
  const int n = std::snprintf(buf, sizeof buf, format.c_str(), value);
  if (n < 0) return format.substr(0, kMaxOut);
  if (static_cast<std::size_t>(n) > kMaxOut) {
    // A fixed-point format of a huge number: show it in exponent form
    // rather than cut its digits off.
    std::snprintf(buf, sizeof buf, "%.6g", value);
  }
  return std::string(buf).substr(0, kMaxOut);
}

std::vector<Tick> DecimalTicks(double min, double max, int lengthPx, bool horizontal,
                               const std::string& format, int fontPx, const TextMeasure& measure,
                               bool endsOnly) {
  if (!Sane(min, max)) return {};
  const auto label = [&format](double v) { return FormatDecimal(format, v); };
  const double span = max - min;
  if (endsOnly || !std::isfinite(span)) return Ends(min, max, label);
  if (span == 0 || span < std::abs(min) * 1e-12) return {{min, label(min)}};
  lengthPx = std::max(lengthPx, 1);
  const double step = NiceStepAtLeast(span / kMaxTicks);
  return EndsWhenFew(ChooseTicks(min, max, step, 0.0, lengthPx, horizontal, fontPx, measure, label,
                                 NextDecimalStep),
                     min, max, lengthPx, horizontal, fontPx, measure, label);
}

std::vector<Tick> TimeTicks(double min, double max, int lengthPx, bool horizontal,
                            const std::string& format, int fontPx, const TextMeasure& measure,
                            bool endsOnly) {
  if (!Sane(min, max)) return {};
  min = std::clamp(min, kOleMin, kOleMax);
  max = std::clamp(max, kOleMin, kOleMax);
  // An axis over more than one day labels its ticks with the date: the date
  // alone at midnight, else the date and the time of day (seconds only
  // where a tick has them); the format's blanks around the text stay.
  const bool days = std::floor(min) < std::floor(max);
  const std::size_t first = format.find_first_not_of(' ');
  const std::size_t lastChar = format.find_last_not_of(' ');
  const std::string before(first == std::string::npos ? 0 : first, ' ');
  const std::string after(lastChar == std::string::npos ? 0 : format.size() - 1 - lastChar, ' ');
  const auto label = [&format, days, &before, &after](double v) {
    if (!days) return FormatOleDate(format, v);
    const CivilTime t = CivilFromOle(v);
    const char* f = t.hour == 0 && t.minute == 0 && t.second == 0 ? "%d-%b"
                    : t.second == 0                               ? "%d-%b %H:%M"
                                                                  : "%d-%b %H:%M:%S";
    return before + FormatOleDate(f, v) + after;
  };
  if (endsOnly) return Ends(min, max, label);
  if (max == min) return {{min, label(min)}};
  lengthPx = std::max(lengthPx, 1);
  // Steps in days: the time steps, then 1, 2, 7, 14 days and doubling from 28.
  const auto next = [](double step) {
    const double secs = std::round(step * kSecondsPerDay);
    for (int s : kTimeSteps) {
      if (s > secs) return s / kSecondsPerDay;
    }
    const double days = std::round(step);
    if (days < 2) return 2.0;
    if (days < 7) return 7.0;
    if (days < 14) return 14.0;
    return days < 28 ? 28.0 : days * 2;
  };
  double step = 1 / kSecondsPerDay;
  while (step < (max - min) / kMaxTicks) step = next(step);
  // Steps of whole days repeat a time of day; the date line tells them apart.
  return ChooseTicks(min, max, step, 0.0, lengthPx, horizontal, fontPx, measure, label, next, 0.5);
}

std::vector<Tick> DateLineTicks(double min, double max, int lengthPx, int stepDays,
                                const std::string& format, int fontPx, const TextMeasure& measure) {
  if (!Sane(min, max)) return {};
  min = std::clamp(min, kOleMin, kOleMax);
  max = std::clamp(max, kOleMin, kOleMax);
  const auto label = [&format](double v) { return FormatOleDate(format, v); };
  const double first = std::ceil(min);
  if (first > max) return {{min, label(min)}};
  lengthPx = std::max(lengthPx, 1);
  const double base = std::max(1, stepDays);
  // Multiples of the base step: 1, 2, 3, 4, 5, 7, 14, 21, 28, then 28 n.
  const auto next = [base](double step) {
    const double m = std::round(step / base);
    static const double kMultiples[] = {1, 2, 3, 4, 5, 7, 14, 21, 28};
    for (double k : kMultiples) {
      if (k > m) return k * base;
    }
    const double n = std::floor(m / 28);
    return (n + std::max(1.0, std::floor(n / 4))) * 28 * base;
  };
  double step = base;
  while (step < (max - first) / kMaxTicks) step = next(step);
  // Aligned on the first midnight, so the range's first day is labelled.
  return ChooseTicks(min, max, step, first, lengthPx, true, fontPx, measure, label, next);
}

std::vector<int> SeriesShown(const SRGraph& chart, const SRGCompoundDisplay& display) {
  std::vector<int> out;
  const SRGraphDisplay* plot = display.display.get();
  if (!plot) return out;
  for (int g : PairGroupsIn(chart, plot->firstGroup, plot->lastGroup)) out.push_back(g / 2);
  return out;
}

bool LimitWidensRange(double limit, double lo, double hi) {
  // A limit above the data: when the data's highest value reaches 80 % of
  // it; below the data: when the lowest is at most 120 % of it (mirrored
  // for negative limits).
  const double slack = 0.2 * std::abs(limit);
  if (limit > hi) return hi >= limit - slack;
  if (limit < lo) return lo <= limit + slack;
  return true;
}

DisplayRanges RangesOf(const SRGraph& chart, const SRGCompoundDisplay& display) {
  DisplayRanges out;
  const SRGraphDisplay* plot = display.display.get();
  const int axisType = plot ? plot->axisType : kAxisScatter;
  const bool dateX = axisType == kAxisDateOnX || axisType == kAxisDateOnBoth;
  const bool dateY = axisType == kAxisDateOnY || axisType == kAxisDateOnBoth;

  // The visible series set the ranges; when every one is hidden, all of
  // them, so that the axes stay where they were.
  const std::vector<int> shown = SeriesShown(chart, display);
  const bool anyVisible =
      std::any_of(shown.begin(), shown.end(), [&](int k) { return !chart.SeriesHidden(k); });
  double xMin = DBL_MAX, xMax = -DBL_MAX, yMin = DBL_MAX, yMax = -DBL_MAX;
  bool any = false;
  std::vector<std::pair<int, PairSummary>> summaries;
  for (int k : shown) {
    if (anyVisible && chart.SeriesHidden(k)) continue;
    // Points are (group 2k, group 2k + 1); a point counts only when both
    // its values are there.
    const PairSummary sum = chart.SummaryOf(2 * k);
    if (sum.points == 0) continue;
    summaries.emplace_back(k, sum);
    any = true;
    xMin = std::min(xMin, sum.xMin);
    xMax = std::max(xMax, sum.xMax);
    yMin = std::min(yMin, sum.yMin);
    yMax = std::max(yMax, sum.yMax);
  }
  out.hasData = any;
  // Limit lines near the data widen the Y range to show them.
  if (any && !dateY) {
    for (const LimitLine& line : chart.limitLines) {
      if (!std::isfinite(line.value)) continue;
      for (const auto& [k, sum] : summaries) {
        if (k != line.series || !LimitWidensRange(line.value, sum.yMin, sum.yMax)) continue;
        yMin = std::min(yMin, line.value);
        yMax = std::max(yMax, line.value);
      }
    }
  }

  const auto finish = [any](double lo, double hi, bool date, const AxisRange* fixed) {
    AxisRange r;
    if (fixed && fixed->fixed && std::isfinite(fixed->min) && std::isfinite(fixed->max)) {
      r.fixed = true;
      lo = std::min(fixed->min, fixed->max);
      hi = std::max(fixed->min, fixed->max);
      if (lo < hi) {
        r.min = lo;
        r.max = hi;
        return r;
      }
    } else if (!any) {
      r.min = 0;  // a date axis: the first hour of its epoch
      r.max = date ? 1.0 / 24 : 1.0;
      return r;
    }
    const bool neverNegative = lo >= 0;
    if (lo == hi) {
      const double pad = date ? 1.0 / 1440 : std::max(1.0, std::abs(lo) * 0.1);
      lo -= pad;
      hi += pad;
    } else if (!date) {
      const double pad = 0.1 * (hi / 2 - lo / 2);  // 5 % of hi - lo, without overflow
      lo -= pad;
      hi += pad;
    }
    // Data that never goes below zero is not shown against negative values.
    if (!date && neverNegative) lo = std::max(lo, 0.0);
    r.min = std::max(lo, -DBL_MAX);
    r.max = std::min(hi, DBL_MAX);
    return r;
  };
  out.x = finish(xMin, xMax, dateX, plot ? &plot->xRange : nullptr);
  out.y = finish(yMin, yMax, dateY, plot ? &plot->yRange : nullptr);
  return out;
}

namespace {

// Removes `size` pixels from one side of `free`, leaving at least one pixel
// when there is one; returns the strip taken.
Rect Take(Rect& free, Side side, int size) {
  const int room = side == Side::Left || side == Side::Right ? free.Width() : free.Height();
  size = std::clamp(size, 0, std::max(0, room - 1));
  Rect strip = free;
  switch (side) {
    case Side::Top:
      strip.bottom = free.top + size;
      free.top += size;
      break;
    case Side::Bottom:
      strip.top = free.bottom - size;
      free.bottom -= size;
      break;
    case Side::Left:
      strip.right = free.left + size;
      free.left += size;
      break;
    case Side::Right:
      strip.left = free.right - size;
      free.right -= size;
      break;
  }
  return strip;
}

// Space a label needs across its side: a top or bottom label its height, a
// left or right one its width (a rotated one its height).
int LabelDepth(const SRGraphLabel& l, double dpi, const TextMeasure& measure, int pad) {
  int w = 0, h = 0;
  TextBox(l.text, PointsToPixels(l.fontSize, dpi), measure, w, h);
  const bool across = l.side == Side::Top || l.side == Side::Bottom;
  if (across) return (l.rotated ? w : h) + pad;
  return (l.rotated ? h : w) + pad;
}

// Widest and tallest tick label of a scale over a range, for a rough axis
// length.
void TickLabelSize(const SRGScale* scale, const AxisRange& range, int lengthPx, bool horizontal,
                   double dpi, const TextMeasure& measure, int& width, int& height) {
  width = height = 0;
  if (!scale) return;
  const int px = PointsToPixels(scale->fontSize, dpi);
  height = measure.Height(px);
  std::vector<Tick> ticks;
  if (scale->Kind() == ComponentKind::DateScale) {
    ticks = scale->stepDays > 0
                ? DateLineTicks(range.min, range.max, lengthPx, scale->stepDays, scale->format, px,
                                measure)
                : TimeTicks(range.min, range.max, lengthPx, horizontal, scale->format, px, measure);
    ticks.push_back({range.min, FormatOleDate(scale->format, range.min)});
  } else {
    ticks = DecimalTicks(range.min, range.max, lengthPx, horizontal, scale->format, px, measure);
    ticks.push_back({range.min, FormatDecimal(scale->format, range.min)});
    ticks.push_back({range.max, FormatDecimal(scale->format, range.max)});
  }
  for (const auto& t : ticks) width = std::max(width, measure.Width(t.label, px));
}

bool IsBlankText(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\n'; });
}

void LayoutDisplay(const SRGraph& chart, SRGCompoundDisplay& d, const Rect& area, double dpi,
                   const TextMeasure& measure) {
  d.rect = area;
  const DisplayNeeds needs =
      NeededMargins(chart, d, area.Width(), area.Height(), dpi, measure, /*blankLabels=*/true);
  int margin[4];
  for (int side = 0; side < 4; ++side) margin[side] = needs.Stacked(static_cast<Side>(side));
  int& bottom = margin[static_cast<int>(Side::Bottom)];
  int& top = margin[static_cast<int>(Side::Top)];
  int& left = margin[static_cast<int>(Side::Left)];
  int& right = margin[static_cast<int>(Side::Right)];

  // Shrink the margins in proportion when they leave no plot area.
  const auto fit = [](int& a, int& b, int room) {
    const int avail = std::max(0, room - 1);
    if (a + b > avail) {
      const long long sum = static_cast<long long>(a) + b;
      a = static_cast<int>(static_cast<long long>(a) * avail / sum);
      b = std::min(b, avail - a);
    }
  };
  fit(left, right, area.Width());
  fit(top, bottom, area.Height());
  d.plotArea = {area.left + left, area.top + top, area.right - right, area.bottom - bottom};
  if (area.IsEmpty()) d.plotArea = area;
}

// Side labels of a display, stacked from the display's edge inwards, each
// as long as the plot area's side.
void PlaceDisplayLabels(SRGCompoundDisplay& d, double dpi, const TextMeasure& measure) {
  const int pad = static_cast<int>(std::lround(3 * dpi / 96));
  int used[4] = {0, 0, 0, 0};
  for (auto& l : d.labels) {
    const int depth = LabelDepth(l, dpi, measure, pad);
    int& u = used[static_cast<int>(l.side)];
    Rect r = d.plotArea;
    switch (l.side) {
      case Side::Top:
        r.top = d.rect.top + u;
        r.bottom = r.top + depth;
        break;
      case Side::Bottom:
        r.bottom = d.rect.bottom - u;
        r.top = r.bottom - depth;
        break;
      case Side::Left:
        r.left = d.rect.left + u;
        r.right = r.left + depth;
        break;
      case Side::Right:
        r.right = d.rect.right - u;
        r.left = r.right - depth;
        break;
    }
    u += depth;
    l.rect = r;
  }
}

}  // namespace

int DisplayNeeds::Stacked(Side side) const {
  const int s = static_cast<int>(side);
  return std::max(scales[s] + labels[s], overhang[s]);
}

int DisplayNeeds::SideBySide(Side side) const {
  const int s = static_cast<int>(side);
  return std::max({scales[s], labels[s], overhang[s]});
}

DisplayNeeds NeededMargins(const SRGraph& chart, const SRGCompoundDisplay& d, int plotWidth,
                           int plotHeight, double dpi, const TextMeasure& measure,
                           bool blankLabels) {
  if (!(dpi > 0) || !std::isfinite(dpi)) dpi = 96;
  DisplayNeeds out;
  const int tick = static_cast<int>(std::lround(5 * dpi / 96));
  const int gap = static_cast<int>(std::lround(3 * dpi / 96));
  const DisplayRanges ranges = RangesOf(chart, d);

  int yw = 0, yh = 0, xw = 0, xh = 0, x2w = 0, x2h = 0;
  TickLabelSize(d.yScale.get(), ranges.y, plotHeight, false, dpi, measure, yw, yh);
  TickLabelSize(d.xScale.get(), ranges.x, plotWidth, true, dpi, measure, xw, xh);
  TickLabelSize(d.xScale2.get(), ranges.x, plotWidth, true, dpi, measure, x2w, x2h);
  // A blank X format (strips that leave the values to the bottom one) shows
  // only its marks.
  if (d.xScale && IsBlankText(d.xScale->format)) xh = 0;

  auto& sc = out.scales;
  const int bottom = static_cast<int>(Side::Bottom), top = static_cast<int>(Side::Top);
  const int left = static_cast<int>(Side::Left), right = static_cast<int>(Side::Right);
  if (d.yScale) sc[d.yScale->labelsFarSide ? right : left] += yw + tick + gap;
  if (d.xScale) sc[d.xScale->labelsFarSide ? top : bottom] += xh + tick + gap;
  if (d.xScale2) sc[d.xScale2->labelsFarSide ? top : bottom] += x2h + tick + gap;
  // The end labels of the X scales stand half outside the plot area, and so
  // do the top and bottom Y labels.
  const int halfX = std::max(xw, x2w) / 2;
  out.overhang[right] = halfX;
  out.overhang[left] = halfX;
  out.overhang[top] = yh / 2;
  out.overhang[bottom] = yh / 2;

  for (const auto& l : d.labels) {
    if (!blankLabels && IsBlankText(l.text)) continue;
    out.labels[static_cast<int>(l.side)] += LabelDepth(l, dpi, measure, gap);
  }
  return out;
}

namespace {

constexpr int kLegendPoints = 9;

struct LegendMetrics {
  int margin, rowSpacing, columnSpacing, keyGap;
};

LegendMetrics LegendSpacing(double dpi) {
  const auto px = [dpi](double at96) {
    return std::max(1, static_cast<int>(std::lround(at96 * dpi / 96)));
  };
  return {px(6), px(2), px(12), px(6)};
}

int KeyHeight(int itemHeight) { return std::max(4, itemHeight * 2 / 3); }

}  // namespace

int ScaleTitleDepth(const SRGScale& scale, double dpi, const TextMeasure& measure) {
  if (scale.title.empty()) return 0;
  const auto lines = Lines(scale.title);
  const int height = measure.Height(PointsToPixels(scale.fontSize, dpi));
  // Above the half of the scale's top label that stands over the plot area.
  return static_cast<int>(lines.size()) * height + height / 2 +
         static_cast<int>(std::lround(3 * dpi / 96));
}

std::vector<LegendEntry> LegendEntries(const SRGraph& chart) {
  std::vector<LegendEntry> out;
  const SRGraphLegend* legend = chart.Legend();
  if (!legend) return out;
  const int last = legend->lastGroup < 0 ? chart.GroupCount() - 1
                                         : std::min(legend->lastGroup, chart.GroupCount() - 1);
  const int first = std::max(0, legend->firstGroup);
  // A series counts when the legend covers its Y group.
  for (int k = first / 2; 2 * k + 1 <= last; ++k) {
    if (2 * k + 1 < first) continue;
    out.push_back({k, chart.Annotation(2 * k + 1)});
  }
  return out;
}

LegendGrid LegendGridAt(const std::vector<LegendEntry>& entries, int width, int fontPx, double dpi,
                        const TextMeasure& measure) {
  LegendGrid g;
  g.fontPx = fontPx;
  if (entries.empty()) return g;
  const LegendMetrics m = LegendSpacing(dpi);
  g.itemHeight = std::max(measure.Height(fontPx), 4);
  const int key = 2 * KeyHeight(g.itemHeight);
  int widest = 0;
  for (const LegendEntry& e : entries) widest = std::max(widest, measure.Width(e.text, fontPx));
  // A pixel or two beyond the text's advance, so that it is never elided.
  g.columnWidth = key + m.keyGap + widest + std::max(2, m.rowSpacing);
  const int n = static_cast<int>(entries.size());
  g.columns = std::clamp(
      (width - 2 * m.margin + m.columnSpacing) / std::max(1, g.columnWidth + m.columnSpacing), 1,
      n);
  g.rows = (n + g.columns - 1) / g.columns;
  g.height = g.rows * g.itemHeight + (g.rows - 1) * m.rowSpacing + 2 * m.margin;
  return g;
}

LegendGrid FitLegend(const SRGraph& chart, int width, int maxHeight, double dpi,
                     const TextMeasure& measure) {
  const std::vector<LegendEntry> entries = LegendEntries(chart);
  const int minPx = PointsToPixels(6, dpi);
  LegendGrid g;
  for (int px = PointsToPixels(kLegendPoints, dpi); px >= minPx; --px) {
    g = LegendGridAt(entries, width, px, dpi, measure);
    if (g.height <= maxHeight) return g;
  }
  return g;
}

void PlaceLegendItems(SRGraph& chart, double dpi, const TextMeasure& measure) {
  SRGraphLegend* legend = chart.Legend();
  if (!legend) return;
  legend->items.clear();
  const Rect area = legend->rect;
  const std::vector<LegendEntry> entries = LegendEntries(chart);
  if (area.IsEmpty() || entries.empty()) return;
  const LegendGrid g = FitLegend(chart, area.Width(), area.Height(), dpi, measure);
  const LegendMetrics m = LegendSpacing(dpi);
  legend->fontPx = g.fontPx;
  // Rows across the legend, the block centred vertically.
  const int content = g.height - 2 * m.margin;
  const int top = area.top + std::max(m.margin, (area.Height() - content) / 2);
  const int keyH = KeyHeight(g.itemHeight);
  const int columnWidth = std::min(g.columnWidth, std::max(1, area.Width() - 2 * m.margin));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const int row = static_cast<int>(i) / g.columns, column = static_cast<int>(i) % g.columns;
    SRGraphLegend::Item item;
    item.series = entries[i].series;
    const int x = area.left + m.margin + column * (g.columnWidth + m.columnSpacing);
    const int y = top + row * (g.itemHeight + m.rowSpacing);
    item.box = Rect{x, y, x + columnWidth, y + g.itemHeight};
    const int ky = y + (g.itemHeight - keyH) / 2;
    item.key = Rect{x, ky, x + 2 * keyH, ky + keyH};
    legend->items.push_back(item);
  }
}

void AutoLayout(SRGraph& chart, int width, int height, double dpi, const TextMeasure& measure) {
  if (!(dpi > 0) || !std::isfinite(dpi)) dpi = 96;
  dpi = std::min(dpi, 10000.0);
  width = std::max(width, 0);
  height = std::max(height, 0);
  const int pad = static_cast<int>(std::lround(4 * dpi / 96));

  // A legend nobody placed takes a band at the bottom (under the X title),
  // as high as its entries need; chart labels take their sides in order, top
  // and bottom first so that the side labels run between them; the displays
  // get the rest.
  Rect free{0, 0, width, height};
  if (SRGraphLegend* legend = chart.Legend(); legend && legend->autoPosition) {
    const LegendGrid g = FitLegend(chart, width, height / 2, dpi, measure);
    legend->rect = g.rows > 0 ? Take(free, Side::Bottom, std::min(g.height, height / 2)) : Rect();
  }
  for (int pass = 0; pass < 2; ++pass) {
    for (const auto& c : chart.Components()) {
      if (c->Kind() != ComponentKind::Label) continue;
      auto& l = static_cast<SRGraphLabel&>(*c);
      const bool across = l.side == Side::Top || l.side == Side::Bottom;
      if (across == (pass == 0)) l.rect = Take(free, l.side, LabelDepth(l, dpi, measure, pad));
    }
  }

  for (const auto& c : chart.Components()) {
    if (c->Kind() != ComponentKind::CompoundDisplay) continue;
    auto& d = static_cast<SRGCompoundDisplay&>(*c);
    if (!d.placed) LayoutDisplay(chart, d, free, dpi, measure);
    PlaceDisplayLabels(d, dpi, measure);
  }
  PlaceLegendItems(chart, dpi, measure);
}

int FitFontSize(const std::string& text, int fontPx, int availablePx, double dpi,
                const TextMeasure& measure) {
  const int minPx = PointsToPixels(6, dpi);
  for (int px = std::min(fontPx, 1000); px > minPx;) {
    const int width = measure.Width(text, px);
    if (width <= availablePx) return px;
    // Widths grow about in proportion to the size: a text far too wide
    // skips the sizes that would still be wider by a quarter, so a long
    // text in a narrow box takes a few measurements, not one per size.
    const long long guess =
        availablePx > 0 ? static_cast<long long>(px) * availablePx * 5 / (4ll * width) + 2 : 0;
    px = static_cast<int>(std::max<long long>(std::min<long long>(px - 1, guess), minPx));
  }
  return minPx;
}

int EndLabelFontSize(int fontPx, int roomPx, double dpi, const TextMeasure& measure) {
  const int minPx = PointsToPixels(6, dpi);
  for (int px = std::min(fontPx, 1000); px > minPx; --px) {
    if (measure.Height(px) <= roomPx) return px;
  }
  return minPx;
}

namespace {

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

int WidestLabel(const std::vector<Tick>& ticks, int px, const TextMeasure& measure) {
  int w = 0;
  for (const Tick& t : ticks) w = std::max(w, measure.Width(t.label, px));
  return w;
}

std::vector<Tick> TrimmedTicks(std::vector<Tick> ticks) {
  for (Tick& t : ticks) t.label = Trimmed(t.label);
  return ticks;
}

// The text around the one conversion of a printf-style format, its flags
// and its conversion letter; false when there is none.
bool SplitFormat(const std::string& format, std::string& before, std::string& flags,
                 std::string& after, char& conversion) {
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') continue;
    if (i + 1 < format.size() && format[i + 1] == '%') {
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    while (j < format.size() && std::string("-+ #").find(format[j]) != std::string::npos) ++j;
    flags = format.substr(i + 1, j - i - 1);
    while (j < format.size() &&
           (std::isdigit(static_cast<unsigned char>(format[j])) || format[j] == '.'))
      ++j;
    if (j >= format.size()) return false;
    before = format.substr(0, i);
    conversion = format[j];
    after = format.substr(j + 1);
    return true;
  }
  return false;
}

// True when every label reads back as its tick's value.
bool LabelsExact(const std::vector<Tick>& ticks, double tolerance) {
  for (const Tick& t : ticks) {
    char* end = nullptr;
    const double v = std::strtod(t.label.c_str(), &end);
    if (end == t.label.c_str() || std::abs(v - t.value) > tolerance) return false;
  }
  return true;
}

}  // namespace

FittedTicks BandTicks(double min, double max, int lengthPx, const std::string& format, int fontPx,
                      int roomPx, double dpi, const TextMeasure& measure) {
  const int minPx = std::min(fontPx, PointsToPixels(6, dpi));
  for (int px = fontPx; px >= minPx; --px) {
    auto ticks = TrimmedTicks(DecimalTicks(min, max, lengthPx, false, format, px, measure));
    if (WidestLabel(ticks, px, measure) <= roomPx) return {std::move(ticks), px};
  }
  // Fewer decimals: fixed-point labels on steps they show exactly.
  std::string before, flags, after;
  char conversion = 0;
  if (SplitFormat(format, before, flags, after, conversion) &&
      std::string("feEgG").find(conversion) != std::string::npos && Sane(min, max) &&
      max - min < 1e15) {
    // No '#': it keeps a point after whole numbers.
    flags.erase(std::remove(flags.begin(), flags.end(), '#'), flags.end());
    const auto fixed = [&](int decimals) {
      return before + "%" + flags + "." + std::to_string(decimals) + "f" + after;
    };
    const auto label = [](const std::string& f) {
      return [f](double v) { return Trimmed(FormatDecimal(f, v)); };
    };
    const std::string original = Trimmed(FormatDecimal(format, max));
    for (int decimals = 6; decimals >= 0; --decimals) {
      const std::string f = fixed(decimals);
      // Only shorter than the original labels.
      if (Trimmed(FormatDecimal(f, max)).size() >= original.size()) continue;
      const double step = std::pow(10.0, -decimals);
      std::vector<Tick> ticks = ChooseTicks(min, max, step, 0.0, std::max(lengthPx, 1), false,
                                            minPx, measure, label(f), NextDecimalStep);
      if (ticks.empty() || !LabelsExact(ticks, step * 1e-6) ||
          WidestLabel(ticks, minPx, measure) > roomPx)
        continue;
      return {std::move(ticks), minPx};
    }
  }
  auto ticks = TrimmedTicks(DecimalTicks(min, max, lengthPx, false, format, minPx, measure));
  for (Tick& t : ticks)
    if (measure.Width(t.label, minPx) > roomPx) t.label.clear();
  return {std::move(ticks), minPx};
}

SideTitle FitSideTitle(const std::string& text, int fontPx, int alongPx, int acrossPx, int heightPx,
                       double dpi, const TextMeasure& measure) {
  SideTitle out;
  const int minPx = std::min(fontPx, PointsToPixels(6, dpi));
  if (measure.Width(text, minPx) <= alongPx) {
    out.fontPx = FitFontSize(text, fontPx, alongPx, dpi, measure);
    out.text = text;
    return out;
  }
  out.rotated = false;
  out.fontPx = FitFontSize(text, fontPx, acrossPx, dpi, measure);
  out.fontPx = std::max(minPx, std::min(out.fontPx, fontPx));
  if (measure.Height(out.fontPx) > heightPx) {
    // A shorter line when the margin is low too.
    out.fontPx = EndLabelFontSize(out.fontPx, heightPx, dpi, measure);
    if (measure.Height(out.fontPx) > heightPx) return out;
  }
  if (measure.Width(text, out.fontPx) <= acrossPx) {
    out.text = text;
    return out;
  }
  // The longest cut (of at least one character) that fits with "...",
  // found by halving: a longer cut is never narrower.
  const auto cutAt = [&](std::size_t n) {
    std::string cut = text.substr(0, n);
    while (!cut.empty() && cut.back() == ' ') cut.pop_back();
    return cut + "...";
  };
  std::size_t best = 0;
  for (std::size_t lo = 1, hi = text.size(); lo < hi;) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (measure.Width(cutAt(mid), out.fontPx) <= acrossPx) {
      best = mid;
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  if (best > 0) out.text = cutAt(best);
  return out;
}

}  // namespace vantora::chart
