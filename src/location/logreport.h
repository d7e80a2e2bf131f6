// The printed location report: a paged table with a title, wrapped column
// headings, a rule, the date range of the page and one line per record.
//
// The layout is computed here without any painting: a ReportCanvas measures
// and draws text (the Qt implementation is in location/print/), and the
// layout arithmetic is exposed as plain functions returning plain structs.
#pragma once

#include <string>
#include <vector>

#include "common/logdata.h"

namespace vantora {

// Measures and draws single-byte (Windows-1252) text in the report font.
// Coordinates are device units, y growing downwards.
class ReportCanvas {
 public:
  virtual ~ReportCanvas() = default;
  // Vertical device units per inch.
  virtual int DpiY() const = 0;
  // Selects the report font with a character height of `size` device units.
  virtual void SetFontSize(int size) = 0;
  // Width of one line of text in the current font.
  virtual int TextWidth(const std::string& line) = 0;
  // Height of one line of text in the current font.
  virtual int LineHeight() = 0;
  // Draws one line with its top-left corner at (x, y).
  virtual void DrawText(int x, int y, const std::string& line) = 0;
  // A solid black band from (x1, y) to (x2, y + thickness).
  virtual void DrawRule(int x1, int x2, int y, int thickness) = 0;
};

struct ReportRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

// The layout a report prints with.
struct ReportLayout {
  int fontSize = 6;          // character height in device units
  int maxFontSize = 0;       // the height of 12-point text on the device
  std::vector<int> columnX;  // tab positions; columnX[0] is 0
  int lineHeight = 0;        // height of one text line
  int lineGap = 1;           // space between blocks, rule thickness
  int linesPerPage = 1;      // records per page
};

// What one page shows.
struct PagePlan {
  int firstRecord = 0;
  int lastRecord = -1;   // below firstRecord: no records on this page
  std::string title;     // "Page 2 - C:\Site\Loc1.loc"
  std::string dateLine;  // "06-Mar-2005" or "06-Mar-2005 to 07-Mar-2005"; "" when unknown
};

// One piece of a tab-expanded line and where it starts.
struct PlacedText {
  int x;
  std::string text;
};

// Joins `words` with blanks, breaking the line (CR LF) before a word that
// would take it past `limit` characters; at most two breaks, so the last line
// takes all remaining words.
std::string WrapWords(const std::vector<std::string>& words, int limit);
// Words of `text` separated by white space; empty words dropped.
std::vector<std::string> SplitWords(const std::string& text);
// Lines of a heading (split at CR LF).
std::vector<std::string> HeadingLines(const std::string& heading);

// "Time (H:M:S) " for column 0, else the name of channel column - 1.
std::string ColumnHeading(const CLogData& data, int column);
// Every column's heading, wrapped at 13 characters for the time and at the
// channel's width (13 when 0) for channels.
std::vector<std::string> BuildHeadings(const CLogData& data);

// The height of 12-point text on a device with `dpiY` pixels per inch.
int MaxFontSize(int dpiY);
// Tab positions for `headings` in the canvas's current font.
std::vector<int> ComputeColumns(const std::vector<std::string>& headings, ReportCanvas& canvas);
// The largest character height from 6 up to below MaxFontSize with which all
// columns fit across `page`; 6 when none does.
int ChooseFontSize(const std::vector<std::string>& headings, ReportCanvas& canvas,
                   const ReportRect& page);
// Chooses the font, leaves it selected and returns the whole layout.
ReportLayout ComputeLayout(const std::vector<std::string>& headings, ReportCanvas& canvas,
                           const ReportRect& page);
// Pages needed for `recordCount` records (at least one).
int ReportPageCount(int recordCount, int linesPerPage);
// Records, title and date line of page `page` (from 1).
PagePlan PlanPage(const CLogData& data, int linesPerPage, int page);
// Splits a tab-separated line at the tab positions: each piece starts at the
// first position right of where the previous piece ended.
std::vector<PlacedText> ExpandTabs(const std::string& line, const std::vector<int>& columnX,
                                   ReportCanvas& canvas);

class CLogReport {
 public:
  explicit CLogReport(const CLogData* source) : source_(source) {}
  virtual ~CLogReport() = default;

  // Computes the layout for `rect` (the printable area); once per report.
  void Prepare(ReportCanvas& canvas, const ReportRect& rect);
  int PageCount() const;
  // Draws page `page` (from 1); nothing before Prepare.
  void PrintPage(ReportCanvas& canvas, int page);

  // Column 0: the record's time with seconds; column k: channel k - 1's value
  // (unpadded, "N/A" and "OverRange" included).
  std::string CellText(int column, int record) const;
  // Every cell of a record, separated by tabs.
  std::string RowText(int record) const;

  bool prepared() const { return prepared_; }
  const ReportLayout& layout() const { return layout_; }
  const std::vector<std::string>& headings() const { return headings_; }
  const ReportRect& pageRect() const { return pageRect_; }

 private:
  const CLogData* source_;
  std::vector<std::string> headings_;
  ReportRect pageRect_;
  ReportLayout layout_;
  bool prepared_ = false;
};

}  // namespace vantora
