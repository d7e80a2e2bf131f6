#include "report/gui/reportpdf.h"

#include <QFont>
#include <QFontMetricsF>
#include <QIODevice>
#include <QImage>
#include <QImageReader>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

#include "common/codepage.h"
#include "common/gui/qtstrings.h"
#include "common/logfile.h"
#include "common/pathutil.h"
#include "exposure/exposuretext.h"
#include "graph/graphdocument.h"
#include "graph/gui/graphrender.h"
#include "report/workbook.h"

namespace vantora::report {

namespace {

// Page resolution: text is placed to 1/300 inch and the strip graphs are
// drawn at this many dots per inch, which bounds the points a dense series
// keeps after the plot's sampling.
constexpr double kDpi = 300;
constexpr double kMarginMm = 15;
constexpr double kFooterMm = 9;
constexpr const char* kFace = "Arial";

double Mm(double mm) { return mm * kDpi / 25.4; }

QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }

QColor ToColor(const chart::Rgb& c) { return QColor(c.r, c.g, c.b); }

enum Font { kBody, kSmall, kSmallBold, kSection, kHeading, kTitle, kFooter, kFontCount };

// What a page shows, placed in device pixels.
struct Op {
  enum Kind { Text, Fill, Rule, Picture, Graph };
  Kind kind = Text;
  QRectF rect;
  QString text;
  int font = kBody;
  int align = Qt::AlignLeft | Qt::AlignVCenter;
  QColor colour = Qt::black;
  int location = -1;  // Graph
  std::string path;   // Picture
};

struct Page {
  std::vector<Op> ops;
  int location = -1;  // the location whose section starts here
};

struct Cell {
  Cell() = default;
  Cell(QString t) : text(std::move(t)) {}  // NOLINT: cells are written as their texts
  QString text;
  bool coloured = false;
  QColor fill, colour = Qt::black;
  bool bold = false;
};

struct Table {
  std::vector<QString> heading;
  std::vector<int> align;  // per column
  std::vector<std::vector<Cell>> rows;
};

// Writes what QPdfWriter gives it through the safe writer.
class WriterDevice : public QIODevice {
 public:
  explicit WriterDevice(FileWriter& writer) : writer_(writer) { open(QIODevice::WriteOnly); }
  bool isSequential() const override { return true; }

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 size) override {
    return writer_.Write(std::string_view(data, static_cast<std::size_t>(size))) ? size : -1;
  }

 private:
  FileWriter& writer_;
};

// Lays the report out into pages of ops, measuring with the PDF's fonts.
class Layout {
 public:
  Layout(QPdfWriter& writer, const QRectF& area) : device_(writer), area_(area) {
    const struct {
      double points;
      bool bold;
    } specs[kFontCount] = {{9, false}, {7.5, false}, {7.5, true}, {11, true},
                           {16, true}, {22, true},   {7, false}};
    for (int f = 0; f < kFontCount; ++f) {
      QFont font(QString::fromLatin1(kFace));
      font.setPointSizeF(specs[f].points);
      font.setBold(specs[f].bold);
      fonts_.push_back(font);
    }
    bottom_ = area_.bottom() - Mm(kFooterMm);
  }

  const QFont& FontOf(int f) const { return fonts_[static_cast<std::size_t>(f)]; }
  double LineHeight(int f) const { return QFontMetricsF(FontOf(f), &device_).lineSpacing(); }
  double Width() const { return area_.width(); }
  std::vector<Page>& Pages() { return pages_; }

  void NewPage(int location = -1) {
    pages_.emplace_back();
    pages_.back().location = location;
    y_ = area_.top();
  }
  double Room() const { return bottom_ - y_; }
  double PageRoom() const { return bottom_ - area_.top(); }
  void Ensure(double height) {
    if (pages_.empty() || (height > Room() && y_ > area_.top())) NewPage();
  }
  void Space(double mm) { y_ += Mm(mm); }

  // Lines of `text` that fit `width`, broken between words where they can
  // be and anywhere else where a word alone is too wide.
  QStringList Wrap(const QString& text, int font, double width) const {
    QStringList lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
      if (paragraph.isEmpty()) {
        lines << QString();
        continue;
      }
      QTextLayout layout(paragraph, FontOf(font), &device_);
      QTextOption option;
      option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
      layout.setTextOption(option);
      layout.beginLayout();
      for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max(1.0, width));
        lines << paragraph.mid(line.textStart(), line.textLength()).trimmed();
      }
      layout.endLayout();
    }
    return lines;
  }

  // A paragraph, continued on the next page where it does not fit.
  void Paragraph(const QString& text, int font = kBody, QColor colour = Qt::black,
                 double indent = 0) {
    const double lh = LineHeight(font);
    for (const QString& line : Wrap(text, font, Width() - indent)) {
      Ensure(lh);
      Op op;
      op.rect = QRectF(area_.left() + indent, y_, Width() - indent, lh);
      op.text = line;
      op.font = font;
      op.colour = colour;
      Add(op);
      y_ += lh;
    }
  }

  // A heading kept on the page of what follows it (`keep` more height).
  void Heading(const QString& text, int font, double keep) {
    const QStringList lines = Wrap(text, font, Width());
    const double lh = LineHeight(font);
    Ensure(lh * lines.size() + keep);
    for (const QString& line : lines) {
      Op op;
      op.rect = QRectF(area_.left(), y_, Width(), lh);
      op.text = line;
      op.font = font;
      Add(op);
      y_ += lh;
    }
    y_ += Mm(1);
  }

  // A key in grey and its value beside it, wrapped in its own column.
  void KeyValue(const QString& key, const QString& value, double keyWidth) {
    const double lh = LineHeight(kBody);
    const QStringList lines = Wrap(value, kBody, Width() - keyWidth);
    Ensure(lh * lines.size());
    Op k;
    k.rect = QRectF(area_.left(), y_, keyWidth, lh);
    k.text = key;
    k.colour = QColor(0x55, 0x55, 0x55);
    Add(k);
    for (const QString& line : lines) {
      Op v;
      v.rect = QRectF(area_.left() + keyWidth, y_, Width() - keyWidth, lh);
      v.text = line;
      Add(v);
      y_ += lh;
    }
    y_ += Mm(1.5);
  }

  // A text with a coloured background the width of the text.
  void Badge(const QString& text, const VerdictColours& colours) {
    const double lh = LineHeight(kBody);
    Ensure(lh + Mm(2));
    const double w = std::min(
        Width(), QFontMetricsF(FontOf(kSmallBold), &device_).horizontalAdvance(text) + Mm(4));
    const QRectF box(area_.left(), y_, w, lh + Mm(1));
    if (colours.coloured) AddFill(box, ToColor(colours.fill));
    Op op;
    op.rect = box.adjusted(Mm(2), 0, -Mm(1), 0);
    op.text = text;
    op.font = kSmallBold;
    op.colour = colours.coloured ? ToColor(colours.text) : Qt::black;
    Add(op);
    y_ += box.height() + Mm(2);
  }

  void AddTable(const Table& table) {
    const std::size_t columns = table.heading.size();
    const std::vector<double> widths = ColumnWidths(table);
    const double pad = Mm(1), vpad = Mm(0.6);
    const double lh = LineHeight(kSmall);
    auto rowLines = [&](const std::vector<Cell>& cells, bool heading) {
      std::vector<QStringList> lines;
      int most = 1;
      for (std::size_t c = 0; c < columns; ++c) {
        const QString text = heading ? table.heading[c] : c < cells.size() ? cells[c].text : "";
        const bool bold = heading || (c < cells.size() && cells[c].bold);
        lines.push_back(Wrap(text, bold ? kSmallBold : kSmall, widths[c] - 2 * pad));
        most = std::max(most, static_cast<int>(lines.back().size()));
      }
      // A row never runs past a page: what does not fit is cut.
      const int fit = std::max(1, static_cast<int>((PageRoom() - 4 * lh) / lh));
      if (most > fit) {
        for (QStringList& l : lines)
          if (l.size() > fit) {
            l = l.mid(0, fit);
            l.back() += QStringLiteral("…");
          }
        most = fit;
      }
      return std::make_pair(lines, most * lh + 2 * vpad);
    };
    const auto headingRow = rowLines({}, true);
    auto drawRow = [&](const std::vector<QStringList>& lines, double height,
                       const std::vector<Cell>* cells, bool heading) {
      double x = area_.left();
      if (heading) AddFill(QRectF(x, y_, Width(), height), QColor(0xE4, 0xE4, 0xE4));
      for (std::size_t c = 0; c < columns; ++c) {
        const Cell* cell = cells && c < cells->size() ? &(*cells)[c] : nullptr;
        if (cell && cell->coloured) AddFill(QRectF(x, y_, widths[c], height), cell->fill);
        const int align =
            (c < table.align.size() ? table.align[c] : Qt::AlignLeft) | Qt::AlignVCenter;
        for (int i = 0; i < lines[c].size(); ++i) {
          Op op;
          op.rect = QRectF(x + pad, y_ + vpad + i * lh, widths[c] - 2 * pad, lh);
          op.text = lines[c][i];
          op.font = heading || (cell && cell->bold) ? kSmallBold : kSmall;
          op.align = align;
          op.colour = cell ? cell->colour : Qt::black;
          Add(op);
        }
        x += widths[c];
      }
      Op rule;
      rule.kind = Op::Rule;
      rule.rect = QRectF(area_.left(), y_ + height, Width(), 0);
      rule.colour = heading ? QColor(0x80, 0x80, 0x80) : QColor(0xC8, 0xC8, 0xC8);
      Add(rule);
      y_ += height;
    };
    Ensure(headingRow.second + lh * 2);
    drawRow(headingRow.first, headingRow.second, nullptr, true);
    for (const auto& cells : table.rows) {
      const auto row = rowLines(cells, false);
      if (row.second > Room()) {
        // The table goes on on the next page under its heading again.
        NewPage();
        drawRow(headingRow.first, headingRow.second, nullptr, true);
      }
      drawRow(row.first, row.second, &cells, false);
    }
    y_ += Mm(3);
  }

  void AddGraph(int location, double height) {
    Ensure(height);
    Op op;
    op.kind = Op::Graph;
    op.rect = QRectF(area_.left(), y_, Width(), height);
    op.location = location;
    Add(op);
    y_ += height + Mm(3);
  }

  // Pictures two to a row, each with its file name below.
  void AddPictures(const std::vector<std::pair<std::string, QString>>& pictures,
                   const std::vector<QSize>& sizes) {
    const double gap = Mm(6);
    const double cellWidth = (Width() - gap) / 2, boxHeight = Mm(55);
    const double captionHeight = LineHeight(kSmall) * 2;
    for (std::size_t i = 0; i < pictures.size(); i += 2) {
      Ensure(boxHeight + captionHeight);
      for (std::size_t k = i; k < std::min(pictures.size(), i + 2); ++k) {
        const double x = area_.left() + (k - i) * (cellWidth + gap);
        QSizeF size(sizes[k]);
        size.scale(cellWidth, boxHeight, Qt::KeepAspectRatio);
        Op picture;
        picture.kind = Op::Picture;
        picture.rect = QRectF(x, y_ + (boxHeight - size.height()), size.width(), size.height());
        picture.path = pictures[k].first;
        picture.text = pictures[k].second;
        Add(picture);
        const QStringList caption = Wrap(pictures[k].second, kSmall, cellWidth);
        for (int l = 0; l < std::min(2, static_cast<int>(caption.size())); ++l) {
          Op op;
          op.rect = QRectF(x, y_ + boxHeight + Mm(0.5) + l * LineHeight(kSmall), cellWidth,
                           LineHeight(kSmall));
          op.text = caption[l];
          op.font = kSmall;
          Add(op);
        }
      }
      y_ += boxHeight + captionHeight + Mm(3);
    }
  }

 private:
  void Add(Op op) {
    if (pages_.empty()) NewPage();
    pages_.back().ops.push_back(std::move(op));
  }
  void AddFill(const QRectF& rect, const QColor& colour) {
    Op op;
    op.kind = Op::Fill;
    op.rect = rect;
    op.colour = colour;
    Add(op);
  }

  // Each column as wide as its widest cell when all fit. Otherwise a width L
  // is found (by halving) at which every column as wide as its widest cell
  // below L, its longest word above L, or else L fits the page: short
  // columns stay whole and the long texts share the rest.
  std::vector<double> ColumnWidths(const Table& table) const {
    const std::size_t n = table.heading.size();
    const double pad = 2 * Mm(1) + 1;
    std::vector<double> natural(n, pad), least(n, pad);
    auto measure = [&](std::size_t c, const QString& text, bool bold) {
      const QFontMetricsF fm(FontOf(bold ? kSmallBold : kSmall), &device_);
      natural[c] = std::max(natural[c], fm.horizontalAdvance(text) + pad);
      for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        least[c] = std::max(least[c], std::min(fm.horizontalAdvance(word) + pad, Width() / 4));
    };
    for (std::size_t c = 0; c < n; ++c) measure(c, table.heading[c], true);
    for (const auto& row : table.rows)
      for (std::size_t c = 0; c < n && c < row.size(); ++c) measure(c, row[c].text, row[c].bold);
    double sumNatural = 0, sumLeast = 0;
    for (std::size_t c = 0; c < n; ++c) {
      least[c] = std::min(least[c], natural[c]);
      sumNatural += natural[c];
      sumLeast += least[c];
    }
    std::vector<double> widths(n);
    const double w = Width();
    if (sumNatural <= w) {
      for (std::size_t c = 0; c < n; ++c)
        widths[c] = natural[c] + (w - sumNatural) * natural[c] / sumNatural;
      return widths;
    }
    if (sumLeast >= w) {
      for (std::size_t c = 0; c < n; ++c) widths[c] = least[c] * w / sumLeast;
      return widths;
    }
    auto at = [&](double level, std::size_t c) {
      return std::max(least[c], std::min(natural[c], level));
    };
    double low = 0, high = w;
    for (int i = 0; i < 50; ++i) {
      const double mid = (low + high) / 2;
      double sum = 0;
      for (std::size_t c = 0; c < n; ++c) sum += at(mid, c);
      (sum > w ? high : low) = mid;
    }
    // The columns the level cuts share what the others leave in proportion
    // to their widest cells (a long result more than a short verdict).
    double left = w, wanted = 0;
    std::vector<bool> cut(n, false);
    for (std::size_t c = 0; c < n; ++c) {
      cut[c] = natural[c] > low && least[c] < low;
      if (cut[c])
        wanted += natural[c];
      else
        left -= widths[c] = at(low, c);
    }
    for (int pass = 0; pass < 2; ++pass)
      for (std::size_t c = 0; c < n; ++c)
        if (cut[c] && left * natural[c] / wanted < least[c]) {
          cut[c] = false;
          widths[c] = least[c];
          left -= least[c];
          wanted -= natural[c];
        }
    for (std::size_t c = 0; c < n; ++c)
      if (cut[c]) widths[c] = left * natural[c] / wanted;
    return widths;
  }

  QPdfWriter& device_;
  QRectF area_;
  double bottom_ = 0;
  double y_ = 0;
  std::vector<QFont> fonts_;
  std::vector<Page> pages_;
};

Cell VerdictCell(exposure::Verdict verdict, const QString& text) {
  const VerdictColours colours = ColoursOf(verdict);
  Cell cell;
  cell.text = text;
  cell.coloured = colours.coloured;
  cell.fill = ToColor(colours.fill);
  cell.colour = colours.coloured ? ToColor(colours.text) : Qt::black;
  return cell;
}

void Cover(Layout& layout, const SurveyReport& report) {
  layout.NewPage();
  layout.Space(45);
  layout.Heading(Q(report.title), kTitle, 0);
  layout.Space(6);
  int included = static_cast<int>(report.locations.size());
  std::string locations = std::to_string(included);
  if (!report.excluded.empty())
    locations += " (" + std::to_string(report.excluded.size()) + " not included)";
  const std::pair<const char*, std::string> rows[] = {
      {"Site folder", report.siteFolder},
      {"Period", report.PeriodText()},
      {"Locations", locations},
      {"Limit set", report.limitSet.name.empty() ? std::string("none") : report.limitSet.name},
      {"Written", report.written},
      {"Program", report.program}};
  for (const auto& [key, value] : rows) layout.KeyValue(QString::fromLatin1(key), Q(value), Mm(35));
}

void Summary(Layout& layout, const SurveyReport& report) {
  layout.NewPage();
  layout.Heading(QStringLiteral("Summary"), kHeading, Mm(20));
  layout.Paragraph(QStringLiteral("Verdicts under the limit set \"%1\"; the worst result of each "
                                  "location beside its verdict.")
                       .arg(Q(report.limitSet.name.empty() ? "none" : report.limitSet.name)));
  layout.Space(2);
  Table table;
  table.heading = {"Location", "Start", "Duration", "Points", "Verdict", "Worst result"};
  table.align = {Qt::AlignLeft,  Qt::AlignLeft, Qt::AlignLeft,
                 Qt::AlignRight, Qt::AlignLeft, Qt::AlignLeft};
  for (const LocationContent& loc : report.locations) {
    const exposure::Verdict v = loc.exposure.verdict;
    table.rows.push_back({{Q(loc.name)},
                          {Q(loc.start)},
                          {Q(loc.duration)},
                          {QString::number(loc.points)},
                          VerdictCell(v, QString::fromLatin1(exposure::VerdictText(v))),
                          {Q(exposure::WorstResultText(loc.exposure))}});
  }
  for (const ExcludedFile& x : report.excluded)
    table.rows.push_back({{Q(x.fileName)}, {}, {}, {}, {}, {Q("not included: " + x.reason)}});
  layout.AddTable(table);
  std::vector<std::string> notices;
  for (const LocationContent& loc : report.locations)
    notices.insert(notices.end(), loc.notices.begin(), loc.notices.end());
  if (!notices.empty()) {
    layout.Heading(QStringLiteral("Damaged files"), kSection, layout.LineHeight(kSmall) * 2);
    for (const std::string& n : notices) layout.Paragraph(Q(n), kSmall);
  }
}

void LocationSection(Layout& layout, const SurveyReport& report, int index) {
  const LocationContent& loc = report.locations[static_cast<std::size_t>(index)];
  const exposure::LocationResult& e = loc.exposure;
  layout.NewPage(index);
  layout.Heading(Q(loc.name), kHeading, 0);
  layout.Paragraph(Q(Cp1252ToUtf8(loc.path)), kSmall, QColor(0x55, 0x55, 0x55));
  layout.Space(1);
  layout.Paragraph(QStringLiteral("Start: %1     End: %2     Duration: %3     Points: %4")
                       .arg(Q(loc.start), Q(loc.end), Q(loc.duration))
                       .arg(loc.points));
  layout.Space(2);
  layout.Badge(
      QStringLiteral("Verdict: %1").arg(QString::fromLatin1(exposure::VerdictText(e.verdict))),
      ColoursOf(e.verdict));
  for (const std::string& notice : loc.notices) layout.Paragraph(Q(notice), kSmall);

  const double keep = layout.LineHeight(kSmall) * 4;
  layout.Heading(QStringLiteral("Statistics"), kSection, keep);
  Table stats;
  stats.heading = {"Channel", "Unit", "Minimum", "at", "Maximum", "at", "Average"};
  stats.align = {Qt::AlignLeft,  Qt::AlignLeft, Qt::AlignRight, Qt::AlignLeft,
                 Qt::AlignRight, Qt::AlignLeft, Qt::AlignRight};
  for (const StatisticsRow& r : loc.statistics)
    stats.rows.push_back({{Q(r.parameter)},
                          {Q(r.unit)},
                          {Q(r.min)},
                          {Q(r.minTime)},
                          {Q(r.max)},
                          {Q(r.maxTime)},
                          {Q(r.avg)}});
  if (stats.rows.empty())
    layout.Paragraph(QStringLiteral("No channels."));
  else
    layout.AddTable(stats);

  layout.Heading(QStringLiteral("Exposure"), kSection, keep);
  const exposure::ExposureTable table = exposure::BuildTable(e);
  Table ex;
  for (const std::string& h : table.heading) ex.heading.push_back(Q(h));
  ex.align = {Qt::AlignLeft,  Qt::AlignLeft, Qt::AlignRight, Qt::AlignRight, Qt::AlignRight,
              Qt::AlignRight, Qt::AlignLeft, Qt::AlignLeft,  Qt::AlignLeft};
  for (const exposure::TableRow& row : table.rows) {
    std::vector<Cell> cells;
    for (std::size_t c = 0; c < row.cells.size(); ++c) {
      Cell cell(Q(row.cells[c]));
      // Coloured as the exposure window colours them.
      if (c == 8 && row.channelRow) cell = VerdictCell(row.verdict, cell.text);
      if ((c == 6 || c == 7) && row.limitExceeded)
        cell = VerdictCell(exposure::Verdict::Exceeded, cell.text);
      if (c == 0) cell.bold = true;
      cells.push_back(cell);
    }
    ex.rows.push_back(std::move(cells));
  }
  layout.AddTable(ex);
  for (const std::string& line : exposure::SourceLines(e))
    layout.Paragraph(Q(line), kSmall, QColor(0x40, 0x40, 0x40));
  layout.Space(2);

  if (report.options.graphs) {
    const int channels = std::min(static_cast<int>(loc.statistics.size()), kMaxChannels);
    const double height =
        std::min(std::clamp(Mm(40 + 9.0 * channels), Mm(70), Mm(215)), layout.PageRoom() - Mm(12));
    layout.Heading(QStringLiteral("Strip graph"), kSection, height);
    if (!e.hasRecords || channels == 0)
      layout.Paragraph(QStringLiteral("No records to draw."));
    else
      layout.AddGraph(index, height);
  }

  layout.Heading(QStringLiteral("Events"), kSection, keep);
  if (loc.events.empty() && loc.eventsProblem.empty())
    layout.Paragraph(QStringLiteral("No events."));
  for (const std::string& line : loc.events) layout.Paragraph(Q(line), kSmall);
  if (loc.moreEvents > 0)
    layout.Paragraph(QStringLiteral("... and %1 more events.").arg(loc.moreEvents), kSmall);
  if (!loc.eventsProblem.empty()) layout.Paragraph(Q(loc.eventsProblem + "."), kSmall);
  layout.Space(2);

  if (!report.options.notes) return;
  layout.Heading(QStringLiteral("Notes"), kSection, keep);
  if (loc.notes.empty()) layout.Paragraph(QStringLiteral("No notes."));
  std::vector<std::pair<std::string, QString>> pictures;
  std::vector<QSize> sizes;
  std::vector<QString> files;
  for (const NoteEntry& note : loc.notes) {
    const QString name = Q(note.fileName);
    const QString kind = Q(note.kind);
    switch (note.type) {
      case NoteEntry::Type::Text:
        layout.Paragraph(QStringLiteral("%1 note: %2").arg(kind, name), kSmallBold);
        if (!note.problem.empty()) layout.Paragraph(Q(note.problem), kSmall);
        for (const std::string& line : note.lines)
          layout.Paragraph(Q(line.empty() ? std::string(" ") : line), kSmall, Qt::black, Mm(4));
        if (note.more)
          layout.Paragraph(QStringLiteral("(the note goes on in its file)"), kSmall,
                           QColor(0x55, 0x55, 0x55), Mm(4));
        layout.Space(2);
        break;
      case NoteEntry::Type::Picture: {
        QString why;
        QSize size;
        if (!FileExists(note.path)) {
          why = QStringLiteral("the file is missing");
        } else {
          QImageReader reader(NativeQtPath(note.path));
          reader.setAutoTransform(true);
          size = reader.size();
          if (!reader.canRead() || !size.isValid() || size.isEmpty())
            why = QStringLiteral("the picture cannot be read");
          else if (reader.transformation() & QImageIOHandler::TransformationRotate90)
            size.transpose();
        }
        if (why.isEmpty()) {
          pictures.push_back({note.path, QStringLiteral("%1 (%2)").arg(name, kind)});
          sizes.push_back(size);
        } else {
          files.push_back(QStringLiteral("%1 (%2): %3").arg(name, kind, why));
        }
        break;
      }
      case NoteEntry::Type::File: files.push_back(QStringLiteral("%1 (%2)").arg(name, kind)); break;
    }
  }
  layout.AddPictures(pictures, sizes);
  for (const QString& line : files) layout.Paragraph(line, kSmall);
}

void Method(Layout& layout, const SurveyReport& report) {
  layout.NewPage();
  layout.Heading(QStringLiteral("Method"), kHeading, Mm(20));
  const QString method = Q(exposure::MethodText());
  for (const QString& paragraph : method.split(QStringLiteral("\n\n"), Qt::SkipEmptyParts)) {
    layout.Paragraph(paragraph.trimmed());
    layout.Space(2);
  }
  const double keep = layout.LineHeight(kSmall) * 4;
  if (report.limitSet.name.empty()) {
    layout.Heading(QStringLiteral("Limits"), kSection, keep);
    layout.Paragraph(QStringLiteral("No limit set was used."));
  } else {
    layout.Heading(QStringLiteral("Limits of the set \"%1\"").arg(Q(report.limitSet.name)),
                   kSection, keep);
    Table rows;
    rows.heading = {"Parameter", "Kind", "Limit", "Source"};
    rows.align = {Qt::AlignLeft, Qt::AlignLeft, Qt::AlignRight, Qt::AlignLeft};
    for (const exposure::LimitRow& row : report.limitSet.rows) {
      std::vector<Cell> cells;
      for (const std::string& text : exposure::LimitRowCells(row)) cells.push_back({Q(text)});
      rows.rows.push_back(std::move(cells));
    }
    if (rows.rows.empty())
      layout.Paragraph(QStringLiteral("The set holds no rows."));
    else
      layout.AddTable(rows);
  }
  layout.Space(2);
  layout.Paragraph(QStringLiteral("The limits are the user's responsibility to check against the "
                                  "standard they work to."),
                   kSmallBold);
}

// The strip graph `vantora graph --mode strip` draws of the location.
void DrawGraph(QPainter& painter, const Op& op, const LocationContent& loc) {
  CLogFile log(loc.path, true);
  auto fail = [&](const QString& why) {
    painter.setPen(Qt::black);
    painter.drawText(op.rect, Qt::AlignCenter | Qt::TextWordWrap, why);
  };
  if (log.Problem() != LocationProblem::None) {
    fail(ToQt(CannotOpenMessage(loc.path, log.Problem())));
    return;
  }
  graph::GraphSettings s;
  s.mode = graph::kModeStrip;
  s.axisParams[0] = 0;
  const int n = std::min(log.ChannelCount(), graph::kMaxYParams);
  for (int c = 0; c < n; ++c) s.axisParams[c + 1] = c + 1;
  s.axisCount = 1 + n;
  s.title = AbbreviatePath(loc.path, 23);
  graph::GraphDocument doc;
  doc.OnNewDocument();
  if (n == 0 || !doc.BuildGraph(&log, &s)) {
    fail(QStringLiteral("No graph can be drawn."));
    return;
  }
  const int w = static_cast<int>(op.rect.width()), h = static_cast<int>(op.rect.height());
  painter.save();
  painter.translate(op.rect.topLeft());
  painter.setClipRect(QRect(0, 0, w, h));
  graph::RenderGraph(doc, painter, w, h, kDpi, kFace, false);
  painter.restore();
}

void DrawPicture(QPainter& painter, const Op& op, const std::vector<QFont>& fonts) {
  QImageReader reader(NativeQtPath(op.path));
  reader.setAutoTransform(true);
  // Decoded at about 200 dpi of the page: enough for print, small in the file.
  const double scale = 200.0 / kDpi;
  QSize size = (op.rect.size() * scale).toSize().expandedTo(QSize(1, 1));
  const bool rotated = reader.transformation() & QImageIOHandler::TransformationRotate90;
  reader.setScaledSize(rotated ? size.transposed() : size);
  const QImage image = reader.read();
  if (image.isNull()) {
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.drawRect(op.rect);
    painter.setFont(fonts[kSmall]);
    painter.drawText(op.rect.adjusted(Mm(2), 0, -Mm(2), 0), Qt::AlignCenter | Qt::TextWordWrap,
                     QStringLiteral("the picture cannot be read"));
    return;
  }
  painter.drawImage(op.rect, image);
}

}  // namespace

bool WriteReportPdf(const SurveyReport& report, const std::string& path, const Progress& progress,
                    std::string& error, bool* cancelled, int* pages) {
  if (cancelled) *cancelled = false;
  FileWriter file(path);
  if (!file.Open()) {
    error = "cannot write " + Cp1252ToUtf8(WriteFailureLine(path, file.Error()));
    return false;
  }
  WriterDevice device(file);
  int count = 0;
  bool stopped = false;
  {
    QPdfWriter writer(&device);
    writer.setResolution(static_cast<int>(kDpi));
    writer.setCreator(Q(report.program));
    writer.setTitle(Q(report.title));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                     QPageLayout::Millimeter));
    const QRect paint = writer.pageLayout().paintRectPixels(static_cast<int>(kDpi));
    const QRectF area(0, 0, paint.width(), paint.height());
    Layout layout(writer, area);
    Cover(layout, report);
    Summary(layout, report);
    for (int i = 0; i < static_cast<int>(report.locations.size()); ++i)
      LocationSection(layout, report, i);
    Method(layout, report);
    std::vector<Page>& all = layout.Pages();
    count = static_cast<int>(all.size());
    std::vector<QFont> fonts;
    for (int f = 0; f < kFontCount; ++f) fonts.push_back(layout.FontOf(f));

    QPainter painter;
    if (!painter.begin(&writer)) {
      error = "cannot write " + Cp1252ToUtf8(path) + ": the PDF could not be started";
      return false;
    }
    const int total = static_cast<int>(report.locations.size());
    for (int p = 0; p < count; ++p) {
      const Page& page = all[static_cast<std::size_t>(p)];
      if (page.location >= 0 && progress &&
          !progress({page.location, total,
                     report.locations[static_cast<std::size_t>(page.location)].name})) {
        stopped = true;
        break;
      }
      if (p > 0) writer.newPage();
      for (const Op& op : page.ops) {
        switch (op.kind) {
          case Op::Text:
            painter.setFont(fonts[static_cast<std::size_t>(op.font)]);
            painter.setPen(op.colour);
            painter.drawText(op.rect, op.align | Qt::TextSingleLine, op.text);
            break;
          case Op::Fill: painter.fillRect(op.rect, op.colour); break;
          case Op::Rule:
            painter.setPen(QPen(op.colour, Mm(0.15)));
            painter.drawLine(op.rect.topLeft(), op.rect.topRight());
            break;
          case Op::Picture: DrawPicture(painter, op, fonts); break;
          case Op::Graph:
            DrawGraph(painter, op, report.locations[static_cast<std::size_t>(op.location)]);
            break;
        }
      }
      // The footer: the title, and the page as "N of M".
      const double top = area.bottom() - Mm(kFooterMm) + Mm(3);
      painter.setPen(QPen(QColor(0x80, 0x80, 0x80), Mm(0.15)));
      painter.drawLine(QPointF(area.left(), top), QPointF(area.right(), top));
      painter.setFont(fonts[kFooter]);
      painter.setPen(QColor(0x40, 0x40, 0x40));
      const QRectF band(area.left(), top + Mm(1), area.width(), area.bottom() - top - Mm(1));
      const QString number = QStringLiteral("%1 of %2").arg(p + 1).arg(count);
      const QFontMetricsF fm(fonts[kFooter], &writer);
      const QString title = fm.elidedText(Q(report.title), Qt::ElideRight,
                                          band.width() - fm.horizontalAdvance(number) - Mm(10));
      painter.drawText(band, Qt::AlignLeft | Qt::AlignTop, title);
      painter.drawText(band, Qt::AlignRight | Qt::AlignTop, number);
    }
    painter.end();
  }
  device.close();
  if (stopped) {
    file.Discard();
    if (cancelled) *cancelled = true;
    return false;
  }
  if (!file.Commit()) {
    error = "cannot write " + Cp1252ToUtf8(WriteFailureLine(path, file.Error()));
    return false;
  }
  if (pages) *pages = count;
  return true;
}

bool WriteReportOutput(const SurveyReport& report, const std::string& path,
                       const Progress& progress, std::string& error, bool* cancelled,
                       std::string* summary) {
  switch (OutputKindOf(path)) {
    case OutputKind::Pdf: {
      int pages = 0;
      if (!WriteReportPdf(report, path, progress, error, cancelled, &pages)) return false;
      if (summary) *summary = std::to_string(pages) + (pages == 1 ? " page" : " pages");
      return true;
    }
    case OutputKind::Workbook: {
      int sheets = 0;
      if (!WriteWorkbook(report, path, progress, error, cancelled, &sheets)) return false;
      if (summary) *summary = std::to_string(sheets) + (sheets == 1 ? " sheet" : " sheets");
      return true;
    }
    case OutputKind::Unknown: break;
  }
  error = "cannot tell the kind of " + Cp1252ToUtf8(path) + " (use .pdf or .xlsx)";
  return false;
}

}  // namespace vantora::report
