// libFuzzer target: the printed report layout of a location file on
// arbitrary bytes, through a canvas with fixed font metrics: the font choice,
// the column positions, the page plan and every drawn line.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/logfile.h"
#include "location/logreport.h"
#include "scratch.h"

namespace {

// Characters 3/5 of the font size wide, lines 5/4 of it high; every call
// is checked to land inside the page.
class FixedCanvas : public vantora::ReportCanvas {
 public:
  FixedCanvas(int dpi, const vantora::ReportRect& page) : dpi_(dpi), page_(page) {}
  int DpiY() const override { return dpi_; }
  void SetFontSize(int size) override {
    if (size <= 0) std::abort();
    size_ = size;
  }
  int TextWidth(const std::string& line) override {
    return static_cast<int>(line.size()) * std::max(1, size_ * 3 / 5);
  }
  int LineHeight() override { return size_ + size_ / 4; }
  void DrawText(int x, int y, const std::string& line) override {
    (void)line;
    if (x < page_.left || y < page_.top) std::abort();
    ++texts;
  }
  void DrawRule(int x1, int x2, int y, int thickness) override {
    if (x2 < x1 || thickness <= 0 || y < page_.top || y > page_.bottom) std::abort();
  }
  int texts = 0;

 private:
  int dpi_;
  vantora::ReportRect page_;
  int size_ = 6;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = fuzz::ScratchFolder("report") + "/R.loc";
  if (size < 1) return 0;
  // The first byte picks the device: a 96, 300 or 600 dpi page.
  static const int kDpi[3] = {96, 300, 600};
  const int dpi = kDpi[data[0] % 3];
  if (!fuzz::WriteScratchFile(path, data + 1, size - 1)) return 0;

  vantora::CLogFile log(path);
  // A4 less 10 mm margins at the device's resolution.
  const vantora::ReportRect page{dpi * 10 / 25, dpi * 10 / 25, dpi * 200 / 25, dpi * 287 / 25};
  FixedCanvas canvas(dpi, page);
  vantora::CLogReport report(&log);
  report.Prepare(canvas, page);
  const vantora::ReportLayout& layout = report.layout();
  if (layout.fontSize < 6 || layout.linesPerPage < 1 || layout.lineHeight <= 0) std::abort();
  if (layout.columnX.empty() || layout.columnX[0] != 0 ||
      !std::is_sorted(layout.columnX.begin(), layout.columnX.end()))
    std::abort();
  const int pages = report.PageCount();
  const int records = log.RecordCount();
  if (pages < 1 || pages != vantora::ReportPageCount(records, layout.linesPerPage)) std::abort();

  // The pages share the records without gap or overlap; the first two and
  // the last are drawn.
  int next = 0;
  for (int p = 1; p <= pages; ++p) {
    vantora::PagePlan plan = vantora::PlanPage(log, layout.linesPerPage, p);
    if (plan.title.empty()) std::abort();
    if (plan.lastRecord >= plan.firstRecord) {
      if (plan.firstRecord != next || plan.lastRecord >= records) std::abort();
      next = plan.lastRecord + 1;
    }
    if (p <= 2 || p == pages) {
      canvas.texts = 0;
      report.PrintPage(canvas, p);
      if (canvas.texts < 1) std::abort();
    }
  }
  if (next != records) std::abort();
  return 0;
}
