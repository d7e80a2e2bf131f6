// Free-text comments placed on a graph, at percentages of the view's size.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vantora::graph {

// The longest comment text (characters; Windows-1252 holds one per byte).
constexpr std::size_t kMaxCommentLength = 4096;

struct GraphComment {
  int x = 0, y = 0;   // percent of the width and height
  int fontSize = 10;  // text height: 10, 13 or 16
  std::string text;   // Windows-1252
};

class GraphCommentList {
 public:
  void Clear();
  void Append(const std::string& text, int x, int y, int fontSize);
  const GraphComment& Get(int i) const;
  void SetPosition(int i, int x, int y);
  int Count() const;
  int LastIndex() const { return Count() - 1; }
  const std::vector<GraphComment>& Items() const { return items_; }

 private:
  std::vector<GraphComment> items_;
};

}  // namespace vantora::graph
