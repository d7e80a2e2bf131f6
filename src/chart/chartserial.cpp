// Binary form of a chart: magic "VGCH", uint32 version, then the top-level
// components (uint32 count; each a kind byte and its fields), the data groups,
// the styles, the pair references and the zoom history; from version 2 on,
// scales carry a title after their fields, and the series information
// (hidden flag, unit, precision, line breaks, marks) and the limit lines
// follow the zoom history. Little-endian integers, IEEE doubles, strings as
// uint32 length + bytes, booleans as one byte 0 or 1. An optional
// sub-component is a kind byte (0: none) and its fields. Version 1 still
// reads.
#include <cstring>
#include <limits>

#include "chart/srgraph.h"

namespace vantora::chart {

namespace {

constexpr std::uint32_t kVersion = 2;
constexpr std::uint32_t kOldestVersion = 1;
constexpr std::uint32_t kMaxGroups = 4096;
constexpr std::uint32_t kMaxItems = 16777216;

// Bounds of what a chart can use: its pairs fit on far fewer displays,
// scale bars and labels than this, its texts are short, and it is laid out
// in pixels of a window or a page.
constexpr std::uint32_t kMaxComponents = 4096;  // top-level ones and display labels
constexpr int kMaxDisplays = 64;
constexpr int kMaxScaleBars = 64;
constexpr std::size_t kMaxText = 1000;
constexpr int kMaxCoordinate = 100000;
constexpr std::size_t kMaxLimitLinesPerSeries = 8;

// Smallest encoded sizes, used to bound counts by the bytes left.
constexpr std::size_t kMinComponent = 1 + 4;  // kind + empty name
constexpr std::size_t kMinLabel = 4 + 4 + 4 + 1 + 1 + 16;
constexpr std::size_t kMinGroup = 4 + 4;
constexpr std::size_t kMinStyle = 4 + 16 + 2;
constexpr std::size_t kMinZoom = 4 + 4 + 2 * 17 + 16;
constexpr std::size_t kMinSeries = 1 + 4 + 4 + 4 + 4;
constexpr std::size_t kMinLimitLine = 4 + 4 + 8 + 4 + 4;

class Writer {
 public:
  explicit Writer(std::string& out) : out_(out) {}
  void U8(std::uint8_t v) { out_.push_back(static_cast<char>(v)); }
  void Bool(bool v) { U8(v ? 1 : 0); }
  void U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) U8(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void I32(int v) { U32(static_cast<std::uint32_t>(v)); }
  void F64(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    for (int i = 0; i < 8; ++i) U8(static_cast<std::uint8_t>(bits >> (8 * i)));
  }
  void Str(const std::string& s) {
    U32(static_cast<std::uint32_t>(s.size()));
    out_.append(s);
  }
  void RectOf(const Rect& r) {
    I32(r.left);
    I32(r.top);
    I32(r.right);
    I32(r.bottom);
  }
  void Colour(const Rgb& c) {
    U8(c.r);
    U8(c.g);
    U8(c.b);
  }
  void Range(const AxisRange& r) {
    Bool(r.fixed);
    F64(r.min);
    F64(r.max);
  }

 private:
  std::string& out_;
};

void WriteScaleFields(Writer& w, const SRGScale& s) {
  w.Str(s.format);
  w.I32(s.fontSize);
  w.U8(static_cast<std::uint8_t>(s.orientation));
  w.Bool(s.labelsFarSide);
  w.I32(s.stepDays);
  w.Str(s.title);
}

void WriteLabelFields(Writer& w, const SRGraphLabel& l) {
  w.Str(l.name);
  w.Str(l.text);
  w.I32(l.fontSize);
  w.Bool(l.rotated);
  w.U8(static_cast<std::uint8_t>(l.side));
  w.RectOf(l.rect);
}

void WriteStyleFields(Writer& w, const SRGraphStyle& s) {
  w.Str(s.name);
  w.I32(s.firstGroup);
  w.I32(s.lastGroup);
  w.I32(s.firstIndex);
  w.I32(s.lastIndex);
  w.Bool(s.lines);
  w.Bool(s.markers);
}

void WriteZoomFields(Writer& w, const SRGZoom& z) {
  w.Str(z.name);
  w.I32(z.display);
  w.Range(z.xRange);
  w.Range(z.yRange);
  w.RectOf(z.plotArea);
}

void WriteComponent(Writer& w, const SRGComponent& c);

// Kind byte and fields, or a 0 byte for none.
void WriteOptional(Writer& w, const SRGComponent* c) {
  if (!c) {
    w.U8(0);
    return;
  }
  WriteComponent(w, *c);
}

void WriteComponent(Writer& w, const SRGComponent& c) {
  w.U8(static_cast<std::uint8_t>(c.Kind()));
  switch (c.Kind()) {
    case ComponentKind::CompoundDisplay: {
      const auto& d = static_cast<const SRGCompoundDisplay&>(c);
      w.Str(d.name);
      w.Bool(d.placed);
      w.RectOf(d.rect);
      w.RectOf(d.plotArea);
      w.Bool(d.transparent);
      WriteOptional(w, d.xScale.get());
      WriteOptional(w, d.xScale2.get());
      WriteOptional(w, d.yScale.get());
      WriteOptional(w, d.xTicks.get());
      WriteOptional(w, d.xTicks2.get());
      WriteOptional(w, d.yTicks.get());
      WriteOptional(w, d.xGrid.get());
      WriteOptional(w, d.yGrid.get());
      WriteOptional(w, d.display.get());
      w.U32(static_cast<std::uint32_t>(d.labels.size()));
      for (const auto& l : d.labels) WriteLabelFields(w, l);
      break;
    }
    case ComponentKind::DecimalScale:
    case ComponentKind::DateScale:
      w.Str(c.name);
      WriteScaleFields(w, static_cast<const SRGScale&>(c));
      break;
    case ComponentKind::ScaleBar: {
      const auto& b = static_cast<const SRGScaleBar&>(c);
      w.Str(b.name);
      w.Str(b.scale.name);
      WriteScaleFields(w, b.scale);
      w.I32(b.boundDisplay);
      w.Colour(b.colour);
      w.RectOf(b.rect);
      break;
    }
    case ComponentKind::TickMarks:
      w.Str(c.name);
      w.Bool(static_cast<const SRGTickMarks&>(c).visible);
      break;
    case ComponentKind::GridLines:
      w.Str(c.name);
      w.Colour(static_cast<const SRGGridLines&>(c).colour);
      break;
    case ComponentKind::GraphDisplay: {
      const auto& d = static_cast<const SRGraphDisplay&>(c);
      w.Str(d.name);
      w.I32(d.graphType);
      w.I32(d.axisType);
      w.I32(d.firstGroup);
      w.I32(d.lastGroup);
      w.Bool(d.transparent);
      w.Range(d.xRange);
      w.Range(d.yRange);
      break;
    }
    case ComponentKind::Label: WriteLabelFields(w, static_cast<const SRGraphLabel&>(c)); break;
    case ComponentKind::Legend: {
      const auto& l = static_cast<const SRGraphLegend&>(c);
      w.Str(l.name);
      w.Bool(l.autoPosition);
      w.RectOf(l.rect);
      w.I32(l.firstGroup);
      w.I32(l.lastGroup);
      w.U8(static_cast<std::uint8_t>(l.key));
      break;
    }
    case ComponentKind::Style: WriteStyleFields(w, static_cast<const SRGraphStyle&>(c)); break;
    case ComponentKind::Zoom: WriteZoomFields(w, static_cast<const SRGZoom&>(c)); break;
  }
}

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  // The version of the data being read.
  std::uint32_t version = kVersion;

  std::size_t Pos() const { return pos_; }
  std::size_t Left() const { return size_ - pos_; }
  bool Failed() const { return !error_.empty(); }
  const std::string& Error() const { return error_; }
  bool Fail(const std::string& message) {
    if (error_.empty()) error_ = message;
    return false;
  }

  bool Need(std::size_t n) { return n <= Left() || Fail("chart data cut short"); }
  bool U8(std::uint8_t& v) {
    if (!Need(1)) return false;
    v = data_[pos_++];
    return true;
  }
  bool Bool(bool& v, const char* what) {
    std::uint8_t b = 0;
    if (!U8(b)) return false;
    if (b > 1) return Fail(std::string("bad flag value ") + std::to_string(b) + " (" + what + ")");
    v = b != 0;
    return true;
  }
  bool U32(std::uint32_t& v) {
    if (!Need(4)) return false;
    v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(data_[pos_ + i]) << (8 * i);
    pos_ += 4;
    return true;
  }
  bool I32(int& v) {
    std::uint32_t u = 0;
    if (!U32(u)) return false;
    std::int32_t s;
    std::memcpy(&s, &u, sizeof s);
    v = s;
    return true;
  }
  bool F64(double& v) {
    if (!Need(8)) return false;
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits |= static_cast<std::uint64_t>(data_[pos_ + i]) << (8 * i);
    pos_ += 8;
    std::memcpy(&v, &bits, sizeof v);
    return true;
  }
  bool Str(std::string& s) {
    std::uint32_t n = 0;
    if (!U32(n)) return false;
    if (n > Left())
      return Fail("chart data cut short (a text of " + std::to_string(n) + " bytes, " +
                  std::to_string(Left()) + " left)");
    s.assign(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n;
    return true;
  }
  // A count of elements of at least `minSize` bytes each, checked against
  // what remains.
  bool Count(std::uint32_t& n, std::size_t minSize, const char* what) {
    if (!U32(n)) return false;
    if (static_cast<std::uint64_t>(n) * minSize > Left())
      return Fail(std::string("chart data cut short (") + std::to_string(n) + " " + what + ", " +
                  std::to_string(Left()) + " bytes left)");
    return true;
  }
  bool RectOf(Rect& r) { return I32(r.left) && I32(r.top) && I32(r.right) && I32(r.bottom); }
  bool Colour(Rgb& c) { return U8(c.r) && U8(c.g) && U8(c.b); }
  bool Range(AxisRange& r) { return Bool(r.fixed, "fixed range") && F64(r.min) && F64(r.max); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  std::string error_;
};

bool ReadScaleFields(Reader& r, SRGScale& s) {
  std::uint8_t orientation = 0;
  if (!(r.Str(s.format) && r.I32(s.fontSize) && r.U8(orientation))) return false;
  if (orientation > 1) return r.Fail("unknown scale orientation " + std::to_string(orientation));
  s.orientation = static_cast<Orientation>(orientation);
  if (!(r.Bool(s.labelsFarSide, "label side") && r.I32(s.stepDays))) return false;
  return r.version < 2 || r.Str(s.title);
}

bool ReadLabelFields(Reader& r, SRGraphLabel& l) {
  std::uint8_t side = 0;
  if (!(r.Str(l.name) && r.Str(l.text) && r.I32(l.fontSize) && r.Bool(l.rotated, "rotated") &&
        r.U8(side)))
    return false;
  if (side > 3) return r.Fail("unknown label side " + std::to_string(side));
  l.side = static_cast<Side>(side);
  return r.RectOf(l.rect);
}

bool ReadStyleFields(Reader& r, SRGraphStyle& s) {
  return r.Str(s.name) && r.I32(s.firstGroup) && r.I32(s.lastGroup) && r.I32(s.firstIndex) &&
         r.I32(s.lastIndex) && r.Bool(s.lines, "style lines") && r.Bool(s.markers, "style markers");
}

bool ReadZoomFields(Reader& r, SRGZoom& z) {
  return r.Str(z.name) && r.I32(z.display) && r.Range(z.xRange) && r.Range(z.yRange) &&
         r.RectOf(z.plotArea);
}

bool KnownAxisType(int t) {
  return t == kAxisScatter || t == kAxisDateOnX || t == kAxisDateOnY || t == kAxisDateOnBoth;
}

bool ReadCompound(Reader& r, SRGCompoundDisplay& d);

// The fields of a component of `kind`; sub-components only inside a
// compound display, so nesting is at most two deep.
std::unique_ptr<SRGComponent> ReadFields(Reader& r, std::uint8_t kind) {
  switch (static_cast<ComponentKind>(kind)) {
    case ComponentKind::CompoundDisplay: {
      auto d = std::make_unique<SRGCompoundDisplay>();
      if (!ReadCompound(r, *d)) return nullptr;
      return d;
    }
    case ComponentKind::DecimalScale:
    case ComponentKind::DateScale: {
      std::unique_ptr<SRGScale> s;
      if (kind == static_cast<std::uint8_t>(ComponentKind::DecimalScale))
        s = std::make_unique<SRGDecimalScale>();
      else
        s = std::make_unique<SRGDateScale>();
      if (!(r.Str(s->name) && ReadScaleFields(r, *s))) return nullptr;
      return s;
    }
    case ComponentKind::ScaleBar: {
      auto b = std::make_unique<SRGScaleBar>();
      if (!(r.Str(b->name) && r.Str(b->scale.name) && ReadScaleFields(r, b->scale) &&
            r.I32(b->boundDisplay) && r.Colour(b->colour) && r.RectOf(b->rect)))
        return nullptr;
      return b;
    }
    case ComponentKind::TickMarks: {
      auto t = std::make_unique<SRGTickMarks>();
      if (!(r.Str(t->name) && r.Bool(t->visible, "tick marks"))) return nullptr;
      return t;
    }
    case ComponentKind::GridLines: {
      auto g = std::make_unique<SRGGridLines>();
      if (!(r.Str(g->name) && r.Colour(g->colour))) return nullptr;
      return g;
    }
    case ComponentKind::GraphDisplay: {
      auto d = std::make_unique<SRGraphDisplay>();
      if (!(r.Str(d->name) && r.I32(d->graphType) && r.I32(d->axisType))) return nullptr;
      if (d->graphType != kGraphXYScatterGroupPair) {
        r.Fail("unknown graph type " + std::to_string(d->graphType));
        return nullptr;
      }
      if (!KnownAxisType(d->axisType)) {
        r.Fail("unknown axis type " + std::to_string(d->axisType));
        return nullptr;
      }
      if (!(r.I32(d->firstGroup) && r.I32(d->lastGroup) && r.Bool(d->transparent, "transparent") &&
            r.Range(d->xRange) && r.Range(d->yRange)))
        return nullptr;
      return d;
    }
    case ComponentKind::Label: {
      auto l = std::make_unique<SRGraphLabel>();
      if (!ReadLabelFields(r, *l)) return nullptr;
      return l;
    }
    case ComponentKind::Legend: {
      auto l = std::make_unique<SRGraphLegend>();
      std::uint8_t key = 0;
      if (!(r.Str(l->name) && r.Bool(l->autoPosition, "legend position") && r.RectOf(l->rect) &&
            r.I32(l->firstGroup) && r.I32(l->lastGroup) && r.U8(key)))
        return nullptr;
      if (key > 1) {
        r.Fail("unknown legend key style " + std::to_string(key));
        return nullptr;
      }
      l->key = static_cast<LegendKey>(key);
      return l;
    }
    case ComponentKind::Style:
    case ComponentKind::Zoom: break;  // kept in their own lists, never as components
  }
  r.Fail("unknown component kind " + std::to_string(kind));
  return nullptr;
}

// An optional sub-component that must be of one of the kinds given.
template <class T>
bool ReadOptional(Reader& r, std::unique_ptr<T>& slot, ComponentKind a, ComponentKind b,
                  const char* what) {
  std::uint8_t kind = 0;
  if (!r.U8(kind)) return false;
  if (kind == 0) return true;
  if (kind != static_cast<std::uint8_t>(a) && kind != static_cast<std::uint8_t>(b))
    return r.Fail("component kind " + std::to_string(kind) + " not allowed as " + what);
  std::unique_ptr<SRGComponent> c = ReadFields(r, kind);
  if (!c) return false;
  slot.reset(static_cast<T*>(c.release()));
  return true;
}

bool ReadCompound(Reader& r, SRGCompoundDisplay& d) {
  using K = ComponentKind;
  if (!(r.Str(d.name) && r.Bool(d.placed, "placed") && r.RectOf(d.rect) && r.RectOf(d.plotArea) &&
        r.Bool(d.transparent, "transparent") &&
        ReadOptional(r, d.xScale, K::DecimalScale, K::DateScale, "X scale") &&
        ReadOptional(r, d.xScale2, K::DecimalScale, K::DateScale, "second X scale") &&
        ReadOptional(r, d.yScale, K::DecimalScale, K::DateScale, "Y scale") &&
        ReadOptional(r, d.xTicks, K::TickMarks, K::TickMarks, "X tick marks") &&
        ReadOptional(r, d.xTicks2, K::TickMarks, K::TickMarks, "second X tick marks") &&
        ReadOptional(r, d.yTicks, K::TickMarks, K::TickMarks, "Y tick marks") &&
        ReadOptional(r, d.xGrid, K::GridLines, K::GridLines, "X grid lines") &&
        ReadOptional(r, d.yGrid, K::GridLines, K::GridLines, "Y grid lines") &&
        ReadOptional(r, d.display, K::GraphDisplay, K::GraphDisplay, "plot display")))
    return false;
  std::uint32_t n = 0;
  if (!r.Count(n, kMinLabel, "display labels")) return false;
  if (n > kMaxComponents) return r.Fail("too many display labels (" + std::to_string(n) + ")");
  d.labels.resize(n);
  for (auto& l : d.labels) {
    if (!ReadLabelFields(r, l)) return false;
  }
  return true;
}

bool ReadChart(Reader& r, SRGraph& chart) {
  std::uint8_t magic[4] = {};
  for (auto& b : magic) {
    if (!r.U8(b)) return false;
  }
  if (std::memcmp(magic, "VGCH", 4) != 0) return r.Fail("not chart data (no VGCH mark)");
  std::uint32_t version = 0;
  if (!r.U32(version)) return false;
  if (version < kOldestVersion || version > kVersion)
    return r.Fail("unsupported chart data version " + std::to_string(version));
  r.version = version;

  std::uint32_t n = 0;
  if (!r.Count(n, kMinComponent, "components")) return false;
  if (n > kMaxComponents) return r.Fail("too many components (" + std::to_string(n) + ")");
  for (std::uint32_t i = 0; i < n; ++i) {
    std::uint8_t kind = 0;
    if (!r.U8(kind)) return false;
    std::unique_ptr<SRGComponent> c = ReadFields(r, kind);
    if (!c) return false;
    chart.Add(std::move(c));
  }

  if (!r.Count(n, kMinGroup, "data groups")) return false;
  if (n > kMaxGroups) return r.Fail("too many data groups (" + std::to_string(n) + ")");
  for (std::uint32_t g = 0; g < n; ++g) {
    std::uint32_t items = 0;
    if (!r.Count(items, 8, "values")) return false;
    if (items > kMaxItems)
      return r.Fail("too many values in a group (" + std::to_string(items) + ")");
    std::vector<double> values(items);
    for (auto& v : values) r.F64(v);  // bounds already checked
    std::string annotation;
    if (!r.Str(annotation)) return false;
    chart.SetGroupValues(static_cast<int>(g), std::move(values));
    chart.SetAnnotation(static_cast<int>(g), annotation);
  }

  if (!r.Count(n, kMinStyle, "styles")) return false;
  for (std::uint32_t i = 0; i < n; ++i) {
    auto s = std::make_unique<SRGraphStyle>();
    if (!ReadStyleFields(r, *s)) return false;
    chart.Add(std::move(s));
  }

  if (!r.Count(n, 8, "pairs")) return false;
  chart.pairs.resize(n);
  for (auto& p : chart.pairs) {
    if (!(r.I32(p.first) && r.I32(p.second))) return false;
  }

  if (!r.Count(n, kMinZoom, "zoom entries")) return false;
  chart.zoomHistory.resize(n);
  for (auto& z : chart.zoomHistory) {
    if (!ReadZoomFields(r, z)) return false;
  }
  if (version < 2) return true;

  if (!r.Count(n, kMinSeries, "series")) return false;
  // Every series of the data groups is described, and only those.
  if (n != static_cast<std::uint32_t>(chart.SeriesCount()))
    return r.Fail("the chart describes " + std::to_string(n) + " series of " +
                  std::to_string(chart.SeriesCount()));
  for (std::uint32_t k = 0; k < n; ++k) {
    SeriesInfo info;
    std::uint32_t count = 0;
    if (!(r.Bool(info.hidden, "hidden series") && r.Str(info.unit) && r.I32(info.decimals) &&
          r.Count(count, 4, "line breaks")))
      return false;
    info.breaks.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
      if (!r.I32(info.breaks[i])) return false;
      if (i > 0 && info.breaks[i] <= info.breaks[i - 1])
        return r.Fail("line breaks out of order in series " + std::to_string(k));
    }
    if (!r.Count(count, 5, "marks")) return false;
    info.marks.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
      std::uint8_t mark = 0;
      if (!(r.I32(info.marks[i].first) && r.U8(mark))) return false;
      if (mark < 1 || mark > 3) return r.Fail("unknown point mark " + std::to_string(mark));
      if (i > 0 && info.marks[i].first <= info.marks[i - 1].first)
        return r.Fail("marks out of order in series " + std::to_string(k));
      info.marks[i].second = static_cast<PointMark>(mark);
    }
    chart.SetSeries(static_cast<int>(k), std::move(info));
  }

  if (!r.Count(n, kMinLimitLine, "limit lines")) return false;
  if (n > kMaxLimitLinesPerSeries * static_cast<std::size_t>(chart.SeriesCount()))
    return r.Fail("too many limit lines (" + std::to_string(n) + ") for " +
                  std::to_string(chart.SeriesCount()) + " series");
  chart.limitLines.resize(n);
  for (auto& l : chart.limitLines) {
    if (!(r.I32(l.series) && r.Str(l.kind) && r.F64(l.value) && r.Str(l.unit) && r.Str(l.label)))
      return false;
  }
  return true;
}

// What the reading alone does not bound: references to groups and
// displays, counts, text lengths and coordinates. Each fault is named.
bool CheckChart(Reader& r, const SRGraph& chart) {
  const int groups = chart.GroupCount();
  const int displays = chart.Count(ComponentKind::CompoundDisplay);
  // A range of groups: first inside the groups (0 when there are none),
  // last -1 (through the last group) or from first to the last group.
  const auto groupRange = [&](int first, int last, const std::string& what) {
    if (first < 0 || (first >= groups && first != 0) || last < -1 || last >= groups ||
        (last >= 0 && last < first))
      return r.Fail(what + " shows groups " + std::to_string(first) + " to " +
                    std::to_string(last) + " of " + std::to_string(groups));
    return true;
  };
  const auto text = [&](const std::string& t, const std::string& what) {
    if (t.size() > kMaxText)
      return r.Fail(what + " is " + std::to_string(t.size()) + " characters long (at most " +
                    std::to_string(kMaxText) + ")");
    return true;
  };
  const auto rect = [&](const Rect& q, const std::string& what) {
    for (int v : {q.left, q.top, q.right, q.bottom})
      if (v < -kMaxCoordinate || v > kMaxCoordinate)
        return r.Fail(what + " reaches " + std::to_string(v) + " pixels (at most " +
                      std::to_string(kMaxCoordinate) + ")");
    return true;
  };
  const auto scale = [&](const SRGScale* s, const std::string& what) {
    return !s ||
           (text(s->format, "the format of " + what) && text(s->title, "the title of " + what));
  };
  const auto label = [&](const SRGraphLabel& l, const std::string& what) {
    return text(l.text, what) && rect(l.rect, "the box of " + what);
  };

  if (displays > kMaxDisplays)
    return r.Fail("too many displays (" + std::to_string(displays) + ", at most " +
                  std::to_string(kMaxDisplays) + ")");
  const int bars = chart.Count(ComponentKind::ScaleBar);
  if (bars > kMaxScaleBars)
    return r.Fail("too many scale bars (" + std::to_string(bars) + ", at most " +
                  std::to_string(kMaxScaleBars) + ")");
  std::size_t components = chart.Components().size();
  for (int i = 0; i < displays; ++i) components += chart.Display(i)->labels.size();
  if (components > kMaxComponents)
    return r.Fail("too many components (" + std::to_string(components) + ", at most " +
                  std::to_string(kMaxComponents) + ")");

  for (int i = 0; i < displays; ++i) {
    const SRGCompoundDisplay& d = *chart.Display(i);
    const std::string name = "display " + std::to_string(i + 1);
    if (!(rect(d.rect, name) && rect(d.plotArea, "the plot area of " + name) &&
          scale(d.xScale.get(), "the X scale of " + name) &&
          scale(d.xScale2.get(), "the second X scale of " + name) &&
          scale(d.yScale.get(), "the Y scale of " + name)))
      return false;
    if (d.display && !groupRange(d.display->firstGroup, d.display->lastGroup, name)) return false;
    for (const SRGraphLabel& l : d.labels)
      if (!label(l, "a label of " + name)) return false;
  }
  for (int i = 0;
       const auto* b = static_cast<const SRGScaleBar*>(chart.Find(ComponentKind::ScaleBar, i));
       ++i) {
    const std::string name = "scale bar " + std::to_string(i + 1);
    if (b->boundDisplay < -1 || b->boundDisplay >= displays)
      return r.Fail(name + " belongs to display " + std::to_string(b->boundDisplay) + " of " +
                    std::to_string(displays));
    if (!(scale(&b->scale, name) && rect(b->rect, name))) return false;
  }
  for (int i = 0;
       const auto* l = static_cast<const SRGraphLabel*>(chart.Find(ComponentKind::Label, i)); ++i)
    if (!label(*l, "chart label " + std::to_string(i + 1))) return false;
  if (const SRGraphLegend* legend = chart.Legend()) {
    if (!(rect(legend->rect, "the legend") &&
          groupRange(legend->firstGroup, legend->lastGroup, "the legend")))
      return false;
  }
  for (std::size_t i = 0; i < chart.Styles().size(); ++i) {
    const SRGraphStyle& s = chart.Styles()[i];
    const std::string name = "style " + std::to_string(i + 1);
    if (!groupRange(s.firstGroup, s.lastGroup, name)) return false;
    if (s.firstIndex < 0 || s.lastIndex < -1)
      return r.Fail(name + " covers the points " + std::to_string(s.firstIndex) + " to " +
                    std::to_string(s.lastIndex));
  }
  for (std::size_t i = 0; i < chart.zoomHistory.size(); ++i) {
    const SRGZoom& z = chart.zoomHistory[i];
    const std::string name = "zoom entry " + std::to_string(i + 1);
    if (z.display < 0 || z.display >= displays)
      return r.Fail(name + " belongs to display " + std::to_string(z.display) + " of " +
                    std::to_string(displays));
    if (!rect(z.plotArea, name)) return false;
  }
  for (int g = 0; g < groups; ++g)
    if (!text(chart.Annotation(g), "the annotation of group " + std::to_string(g))) return false;
  for (int k = 0; k < chart.SeriesCount(); ++k)
    if (!text(chart.Series(k).unit, "the unit of series " + std::to_string(k + 1))) return false;
  for (const LimitLine& l : chart.limitLines)
    if (!(text(l.label, "a limit line's label") && text(l.kind, "a limit line's kind") &&
          text(l.unit, "a limit line's unit")))
      return false;
  return true;
}

}  // namespace

void SerializeChart(const SRGraph& chart, std::string& out) {
  Writer w(out);
  out.append("VGCH", 4);
  w.U32(kVersion);
  // Styles and zoom entries never stand among the components (Add keeps
  // them apart), so every component here is one ReadFields accepts.
  const auto& components = chart.Components();
  w.U32(static_cast<std::uint32_t>(components.size()));
  for (const auto& c : components) WriteComponent(w, *c);

  w.U32(static_cast<std::uint32_t>(chart.GroupCount()));
  for (int g = 0; g < chart.GroupCount(); ++g) {
    const DataGroup* group = chart.Group(g);
    w.U32(static_cast<std::uint32_t>(group->values.size()));
    for (double v : group->values) w.F64(v);
    w.Str(group->annotation);
  }

  w.U32(static_cast<std::uint32_t>(chart.Styles().size()));
  for (const auto& s : chart.Styles()) WriteStyleFields(w, s);

  w.U32(static_cast<std::uint32_t>(chart.pairs.size()));
  for (const auto& p : chart.pairs) {
    w.I32(p.first);
    w.I32(p.second);
  }

  w.U32(static_cast<std::uint32_t>(chart.zoomHistory.size()));
  for (const auto& z : chart.zoomHistory) WriteZoomFields(w, z);

  // Every series of the groups, described or not.
  const int series = chart.SeriesCount();
  w.U32(static_cast<std::uint32_t>(series));
  for (int k = 0; k < series; ++k) {
    const SeriesInfo& info = chart.Series(k);
    w.Bool(info.hidden);
    w.Str(info.unit);
    w.I32(info.decimals);
    w.U32(static_cast<std::uint32_t>(info.breaks.size()));
    for (int b : info.breaks) w.I32(b);
    w.U32(static_cast<std::uint32_t>(info.marks.size()));
    for (const auto& [index, mark] : info.marks) {
      w.I32(index);
      w.U8(static_cast<std::uint8_t>(mark));
    }
  }
  w.U32(static_cast<std::uint32_t>(chart.limitLines.size()));
  for (const LimitLine& l : chart.limitLines) {
    w.I32(l.series);
    w.Str(l.kind);
    w.F64(l.value);
    w.Str(l.unit);
    w.Str(l.label);
  }
}

bool DeserializeChart(const std::uint8_t* data, std::size_t size, SRGraph& chart, std::size_t& used,
                      std::string& error) {
  chart.EmptyAll();
  used = 0;
  error.clear();
  if (!data && size > 0) size = 0;
  Reader r(data, size);
  if (!ReadChart(r, chart) || !CheckChart(r, chart)) {
    chart.EmptyAll();
    error = r.Failed() ? r.Error() : "chart data damaged";
    return false;
  }
  used = r.Pos();
  return true;
}

}  // namespace vantora::chart
