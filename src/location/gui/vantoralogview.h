// The view of a location document: hosts the readings panel, keeps the
// selected columns and the clickable regions, scrolls by keys, buttons and
// the scroll bar, and carries Copy and Statistics. Export, print and graph
// commands are added by their libraries through RegisterCommand under
// "CVantoraLogView" (see common/gui/framework.h); the view's accessors give
// them the data, the selection and the panel.
#pragma once

#include <functional>
#include <memory>

#include "common/gui/framework.h"
#include "location/columnselection.h"
#include "location/gui/hotspotlist.h"
#include "location/gui/readingspanel.h"
#include "notebook/notebook.h"

namespace vantora {

class CVantoraLogDoc;

class CVantoraLogView : public CView {
  Q_OBJECT
 public:
  // Height kept free below the panel.
  static constexpr int kBottomMargin = 18;

  CVantoraLogView();
  ~CVantoraLogView() override;
  const char* ClassName() const override { return "CVantoraLogView"; }

  CVantoraLogDoc* GetDocument() const;
  CLogData* LogData() const;

  void OnInitialUpdate() override;
  void OnUpdate(CView* sender) override;
  QSize SmallestUsefulSize() const override;
  bool OnCommand(int id) override;
  bool QueryCommand(int id, bool& enabled, bool& checked) override;

  // A click at `point` in view coordinates.
  void Click(const QPoint& point);
  // Copy (the selected columns, or everything when none is) to the clipboard.
  void CopyReadings();
  // The panel's Scroll for a control id, then a repaint.
  void ScrollPanel(int id, int code, int position = 0);

  ReadingsPanel* Panel() const { return panel.get(); }
  ColumnSelection& Selection() { return selection; }
  HotSpotList& HotSpots() { return hotSpots; }

  // The attached-templates and attached-results pickers (kinds Template and
  // Results), supplied by the notebook library; without one a click on those
  // icons does nothing.
  using NotePicker = std::function<void(CVantoraLogView& view, NoteKind kind)>;
  static void SetNotePicker(NotePicker picker);

  HotSpotList hotSpots;
  std::unique_ptr<ReadingsPanel> panel;
  ColumnSelection selection;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
};

}  // namespace vantora
