// Clickable regions registered by the readings panel while it paints, in the
// order added.
#pragma once

#include <QPoint>
#include <QRect>
#include <vector>

namespace vantora {

class HotSpotList {
 public:
  // Entry types.
  enum Type { kNone = 0, kDataCell = 1, kHeading = 3, kNoteIcon = 5 };

  void Clear();
  void Add(const QRect& rect, int type, int value);
  // Type of the first entry containing `point` with its value; 0 and -1 when
  // none does.
  int HitTest(const QPoint& point, int& value) const;

  int Count() const { return static_cast<int>(types_.size()); }
  int TypeAt(int i) const { return types_[i]; }
  int ValueAt(int i) const { return values_[i]; }
  const QRect& RectAt(int i) const { return rects_[i]; }

 private:
  std::vector<int> types_;
  std::vector<int> values_;
  std::vector<QRect> rects_;
};

}  // namespace vantora
