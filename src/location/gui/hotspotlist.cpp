#include "location/gui/hotspotlist.h"

namespace vantora {

void HotSpotList::Clear() {
  types_.clear();
  values_.clear();
  rects_.clear();
}

void HotSpotList::Add(const QRect& rect, int type, int value) {
  rects_.push_back(rect);
  types_.push_back(type);
  values_.push_back(value);
}

int HotSpotList::HitTest(const QPoint& point, int& value) const {
  for (std::size_t i = 0; i < rects_.size(); ++i) {
    if (rects_[i].contains(point)) {
      value = values_[i];
      return types_[i];
    }
  }
  value = -1;
  return kNone;
}

}  // namespace vantora
