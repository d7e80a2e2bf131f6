// libFuzzer target: the graph file reader on arbitrary bytes; a file it
// accepts must write back to the same bytes, lay out at any size and draw
// (at 320 x 240 and 96 dpi, with its comments, on the one render path).
#include <QApplication>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "chart/gui/chartrender.h"
#include "graph/graphdocument.h"

namespace {

// The plot is a widget: one application, on the offscreen platform.
void EnsureApplication() {
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_graphfile";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);
  }();
  (void)app;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantora;
  using namespace vantora::graph;
  GraphDocument doc;
  std::string detail;
  const GraphFileResult r = ReadGraphBytes(data, size, doc, detail);
  if (r != GraphFileResult::Ok) {
    // A refused file leaves nothing behind and always says why.
    if (doc.comments.Count() != 0 || doc.GetGraph().GroupCount() != 0) std::abort();
    if (r == GraphFileResult::Damaged && detail.empty()) std::abort();
    return 0;
  }
  if (doc.settings.YCount() != static_cast<int>(doc.GetGraph().pairs.size())) std::abort();
  const std::string again = GraphFileBytes(doc);
  GraphDocument reread;
  if (ReadGraphBytes(reinterpret_cast<const std::uint8_t*>(again.data()), again.size(), reread,
                     detail) != GraphFileResult::Ok ||
      GraphFileBytes(reread) != again)
    std::abort();
  for (auto [w, h] : {std::pair{800, 600}, {1600, 1000}, {120, 40}}) {
    doc.LayoutGraph(w, h);
    for (int i = 0; auto* cd = doc.GetGraph().Display(i); ++i)
      if (cd->placed &&
          (cd->plotArea.right < cd->plotArea.left || cd->plotArea.bottom < cd->plotArea.top))
        std::abort();
  }

  EnsureApplication();
  const auto measure = chart::MakeTextMeasure("Arial");
  doc.LayoutGraph(320, 240, measure.get(), 96);
  chart::RenderOptions options;
  for (const GraphComment& c : doc.comments.Items())
    options.overlays.push_back({c.x, c.y, c.fontSize, c.text});
  const QImage image = chart::RenderChartImage(doc.GetGraph(), 320, 240, options);
  if (image.width() != 320 || image.height() != 240) std::abort();
  // Timers a window would run between drawings (the font cache's clean-up).
  QCoreApplication::processEvents();
  return 0;
}
