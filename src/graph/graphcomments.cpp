#include "graph/graphcomments.h"

namespace vantora::graph {

namespace {
const GraphComment kNoComment{};
}

void GraphCommentList::Clear() { items_.clear(); }

void GraphCommentList::Append(const std::string& text, int x, int y, int fontSize) {
  items_.push_back(GraphComment{x, y, fontSize, text});
}

const GraphComment& GraphCommentList::Get(int i) const {
  if (i < 0 || i >= Count()) return kNoComment;
  return items_[static_cast<std::size_t>(i)];
}

void GraphCommentList::SetPosition(int i, int x, int y) {
  if (i < 0 || i >= Count()) return;
  items_[static_cast<std::size_t>(i)].x = x;
  items_[static_cast<std::size_t>(i)].y = y;
}

int GraphCommentList::Count() const { return static_cast<int>(items_.size()); }

}  // namespace vantora::graph
