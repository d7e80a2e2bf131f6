#include "location/logreport.h"

#include <algorithm>
#include <cctype>

#include "common/timetext.h"

namespace vantora {

std::string WrapWords(const std::vector<std::string>& words, int limit) {
  std::string text;
  int lineLength = 0;
  int breaks = 0;
  for (const auto& word : words) {
    const int length = static_cast<int>(word.size());
    if (breaks < 2 && !text.empty() && lineLength + length > limit) {
      text += "\r\n";
      ++breaks;
      lineLength = 0;
    }
    text += word;
    text += ' ';
    lineLength += length;
  }
  return text;
}

std::vector<std::string> SplitWords(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  for (char c : text) {
    if (std::isspace(static_cast<unsigned char>(c))) {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

std::vector<std::string> HeadingLines(const std::string& heading) {
  std::vector<std::string> lines;
  std::string::size_type start = 0;
  for (;;) {
    auto at = heading.find("\r\n", start);
    if (at == std::string::npos) {
      lines.push_back(heading.substr(start));
      return lines;
    }
    lines.push_back(heading.substr(start, at - start));
    start = at + 2;
  }
}

std::string ColumnHeading(const CLogData& data, int column) {
  if (column == 0) return "Time (H:M:S) ";
  std::string name;
  data.GetChannelName(column - 1, name);
  return name;
}

std::vector<std::string> BuildHeadings(const CLogData& data) {
  std::vector<std::string> headings;
  const int columns = data.ChannelCount() + 1;
  for (int column = 0; column < columns; ++column) {
    int limit = 13;
    if (column > 0) {
      int width = 0;
      data.GetChannelWidth(column - 1, width);
      if (width != 0) limit = width;
    }
    headings.push_back(WrapWords(SplitWords(ColumnHeading(data, column)), limit));
  }
  return headings;
}

int MaxFontSize(int dpiY) { return static_cast<int>((dpiY * 10 / 72) * 1.2); }

std::vector<int> ComputeColumns(const std::vector<std::string>& headings, ReportCanvas& canvas) {
  const int gap = 5 * canvas.TextWidth("00");
  std::vector<int> columnX{0};
  int x = 0;
  for (const auto& heading : headings) {
    int widest = 0;
    for (const auto& line : HeadingLines(heading))
      widest = std::max(widest, canvas.TextWidth(line));
    x += widest + gap;
    columnX.push_back(x);
  }
  return columnX;
}

int ChooseFontSize(const std::vector<std::string>& headings, ReportCanvas& canvas,
                   const ReportRect& page) {
  const int largest = MaxFontSize(canvas.DpiY());
  int kept = 6;
  // The sizes only grow while they fit, up to the height of 12-point text.
  for (int n = 6;; ++n) {
    canvas.SetFontSize(n);
    const bool fits = page.left + ComputeColumns(headings, canvas).back() < page.right;
    if (fits) kept = n;
    if (!fits || n + 1 >= largest) break;
  }
  return kept;
}

ReportLayout ComputeLayout(const std::vector<std::string>& headings, ReportCanvas& canvas,
                           const ReportRect& page) {
  ReportLayout layout;
  layout.maxFontSize = MaxFontSize(canvas.DpiY());
  layout.fontSize = ChooseFontSize(headings, canvas, page);
  canvas.SetFontSize(layout.fontSize);
  layout.columnX = ComputeColumns(headings, canvas);
  layout.lineHeight = std::max(1, canvas.LineHeight());
  layout.lineGap = std::max(1, layout.lineHeight / 9);
  // Title (two lines), up to three heading lines and the date line take six.
  layout.linesPerPage = std::max(1, (page.Height() - layout.lineGap) / layout.lineHeight - 6);
  return layout;
}

int ReportPageCount(int recordCount, int linesPerPage) {
  if (linesPerPage < 1) linesPerPage = 1;
  if (recordCount <= 0) return 1;
  return (recordCount - 1) / linesPerPage + 1;
}

PagePlan PlanPage(const CLogData& data, int linesPerPage, int page) {
  PagePlan plan;
  if (linesPerPage < 1) linesPerPage = 1;
  plan.firstRecord = linesPerPage * (page - 1);
  plan.lastRecord = std::min(plan.firstRecord + linesPerPage - 1, data.LastRecordIndex());
  plan.title = Format("Page %i - %s", page, data.path.c_str());
  LogTime first = 0, last = 0;
  if (plan.lastRecord >= plan.firstRecord && data.GetTime(plan.firstRecord, first) &&
      data.GetTime(plan.lastRecord, last)) {
    plan.dateLine = DateText(first);
    const std::tm a = LocalFields(first);
    const std::tm b = LocalFields(last);
    if (a.tm_mday != b.tm_mday || a.tm_mon != b.tm_mon || a.tm_year != b.tm_year)
      plan.dateLine += " to " + DateText(last);
  }
  return plan;
}

std::vector<PlacedText> ExpandTabs(const std::string& line, const std::vector<int>& columnX,
                                   ReportCanvas& canvas) {
  std::vector<PlacedText> pieces;
  int x = 0;
  std::string::size_type start = 0;
  for (;;) {
    auto tab = line.find('\t', start);
    std::string piece = line.substr(start, tab == std::string::npos ? tab : tab - start);
    const int end = x + canvas.TextWidth(piece);
    pieces.push_back({x, std::move(piece)});
    if (tab == std::string::npos) break;
    start = tab + 1;
    auto stop = std::upper_bound(columnX.begin(), columnX.end(), end);
    x = stop == columnX.end() ? end : *stop;
  }
  return pieces;
}

void CLogReport::Prepare(ReportCanvas& canvas, const ReportRect& rect) {
  if (prepared_) return;
  pageRect_ = rect;
  headings_ = BuildHeadings(*source_);
  layout_ = ComputeLayout(headings_, canvas, rect);
  prepared_ = true;
}

int CLogReport::PageCount() const {
  return ReportPageCount(source_->RecordCount(), layout_.linesPerPage);
}

std::string CLogReport::CellText(int column, int record) const {
  if (column == 0) {
    LogTime t = 0;
    return source_->GetTime(record, t) ? TimeText(t, true) : std::string("error");
  }
  double value = 0;
  source_->GetValue(record, column - 1, value);
  std::string text;
  source_->FormatValue(column - 1, value, text, false);
  return text;
}

std::string CLogReport::RowText(int record) const {
  std::string text = CellText(0, record);
  const int columns = source_->ChannelCount() + 1;
  for (int column = 1; column < columns; ++column) {
    text += '\t';
    text += CellText(column, record);
  }
  return text;
}

void CLogReport::PrintPage(ReportCanvas& canvas, int page) {
  if (!prepared_) return;
  canvas.SetFontSize(layout_.fontSize);
  const int h = layout_.lineHeight;
  const PagePlan plan = PlanPage(*source_, layout_.linesPerPage, page);
  const int x = pageRect_.left;
  int y = pageRect_.top;

  canvas.DrawText(x, y, plan.title);
  y += 2 * h;

  std::size_t tallest = 1;
  for (std::size_t column = 0; column < headings_.size(); ++column) {
    const auto lines = HeadingLines(headings_[column]);
    tallest = std::max(tallest, lines.size());
    for (std::size_t k = 0; k < lines.size(); ++k)
      canvas.DrawText(x + layout_.columnX[column], y + static_cast<int>(k) * h, lines[k]);
  }
  y += static_cast<int>(tallest) * h;

  canvas.DrawRule(x, pageRect_.right, y, layout_.lineGap);
  y += layout_.lineGap;

  if (!plan.dateLine.empty()) canvas.DrawText(x, y, plan.dateLine);
  y += h;

  for (int record = plan.firstRecord; record <= plan.lastRecord; ++record) {
    if (y + h > pageRect_.bottom) break;
    for (const auto& piece : ExpandTabs(RowText(record), layout_.columnX, canvas))
      canvas.DrawText(x + piece.x, y, piece.text);
    y += h;
  }
}

}  // namespace vantora
