// The graph file (".vtg"): a small header of the record and the comments,
// then the chart's own serialized form.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string_view>
#include <vector>

#include "common/pathutil.h"
#include "common/platform.h"
#include "graph/graphdocument.h"

namespace vantora::graph {

namespace {

constexpr std::uint32_t kTag = 104;
// Smallest comment record: x, y, size and a one-byte length prefix.
constexpr std::size_t kMinCommentBytes = 13;
// A graph holds at most this many comments of at most this many characters
// (what the comment dialog accepts).
constexpr int kMaxComments = 1000;
// Files larger than this are not graph files this program wrote.
constexpr std::int64_t kMaxGraphFileBytes = 256ll * 1024 * 1024;

void AppendU32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void AppendI32(std::string& out, int v) { AppendU32(out, static_cast<std::uint32_t>(v)); }

// Little-endian reads that never pass the end.
class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::size_t Remaining() const { return size_ - pos_; }
  std::size_t Pos() const { return pos_; }
  const std::uint8_t* Here() const { return data_ + pos_; }
  bool U8(std::uint8_t& v) {
    if (Remaining() < 1) return false;
    v = data_[pos_++];
    return true;
  }
  bool U16(std::uint16_t& v) {
    if (Remaining() < 2) return false;
    v = static_cast<std::uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return true;
  }
  bool U32(std::uint32_t& v) {
    if (Remaining() < 4) return false;
    v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | data_[pos_ + static_cast<std::size_t>(i)];
    pos_ += 4;
    return true;
  }
  bool I32(int& v) {
    std::uint32_t u = 0;
    if (!U32(u)) return false;
    v = static_cast<int>(u);
    return true;
  }
  bool Bytes(std::size_t n, std::string& out) {
    if (Remaining() < n) return false;
    out.assign(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n;
    return true;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// An archive string; false with `error` set when the prefix is cut, marks a
// form this program never writes, or the text runs past the end.
bool ReadArchiveString(Reader& in, std::string& text, std::string& error) {
  std::uint8_t b = 0;
  if (!in.U8(b)) {
    error = "a text length is cut off";
    return false;
  }
  std::size_t len = b;
  if (b == 0xFF) {
    std::uint16_t w = 0;
    if (!in.U16(w)) {
      error = "a text length is cut off";
      return false;
    }
    len = w;
    if (w == 0xFFFE) {
      error = "a text is stored in a form this program does not read";
      return false;
    }
    if (w == 0xFFFF) {
      std::uint32_t d = 0;
      if (!in.U32(d)) {
        error = "a text length is cut off";
        return false;
      }
      len = d;
    }
  }
  if (len > in.Remaining()) {
    error = "a text of " + std::to_string(len) + " bytes runs past the end of the file";
    return false;
  }
  in.Bytes(len, text);
  return true;
}

GraphFileResult Damaged(std::string& detail, const std::string& what, GraphDocument& doc) {
  detail = what;
  doc.comments.Clear();
  doc.GetGraph().EmptyAll();
  return GraphFileResult::Damaged;
}

}  // namespace

void AppendArchiveString(std::string& out, const std::string& text) {
  const std::size_t n = text.size();
  if (n < 0xFF) {
    out.push_back(static_cast<char>(n));
  } else if (n < 0xFFFE) {
    out.push_back(static_cast<char>(0xFF));
    out.push_back(static_cast<char>(n & 0xFF));
    out.push_back(static_cast<char>((n >> 8) & 0xFF));
  } else {
    out.push_back(static_cast<char>(0xFF));
    out.push_back(static_cast<char>(0xFF));
    out.push_back(static_cast<char>(0xFF));
    AppendU32(out, static_cast<std::uint32_t>(n));
  }
  out += text;
}

std::string GraphFileBytes(const GraphDocument& doc) {
  std::string out;
  AppendU32(out, kTag);
  AppendU32(out, kTag);
  AppendI32(out, doc.settings.legend);
  AppendI32(out, doc.settings.axisCount);
  AppendI32(out, doc.settings.mode);
  const auto& items = doc.comments.Items();
  AppendI32(out, static_cast<int>(items.size()));
  for (const auto& c : items) {
    AppendI32(out, c.x);
    AppendI32(out, c.y);
    AppendI32(out, c.fontSize);
    AppendArchiveString(out, c.text);
  }
  chart::SerializeChart(doc.GetGraph(), out);
  return out;
}

GraphFileResult ReadGraphBytes(const std::uint8_t* data, std::size_t size, GraphDocument& doc,
                               std::string& detail) {
  detail.clear();
  doc.comments.Clear();
  doc.GetGraph().EmptyAll();
  Reader in(data, size);
  std::uint32_t tagA = 0, tagB = 0;
  if (!data || !in.U32(tagA) || !in.U32(tagB)) {
    detail = size == 0 ? "the file is empty" : "the file is too short for a graph file";
    return GraphFileResult::NotGraphFile;
  }
  if (tagA != kTag || tagB != kTag) {
    detail = "version tags " + std::to_string(tagA) + " and " + std::to_string(tagB);
    // Graph files of other versions carry tags of 100 to 104.
    const auto versionTag = [](std::uint32_t t) { return t >= 100 && t <= kTag; };
    return versionTag(tagA) && versionTag(tagB) ? GraphFileResult::OlderVersion
                                                : GraphFileResult::NotGraphFile;
  }
  int legend = 0, axisCount = 0, mode = 0, count = 0;
  if (!in.I32(legend) || !in.I32(axisCount) || !in.I32(mode) || !in.I32(count))
    return Damaged(detail, "the graph definition is cut off", doc);
  if (axisCount < 1 || axisCount > kMaxYParams + 1)
    return Damaged(detail, "the axis count " + std::to_string(axisCount) + " is not 1 to 21", doc);
  if (mode < kModeSingleY || mode > kModeStrip)
    return Damaged(detail, "the graph mode " + std::to_string(mode) + " is unknown", doc);
  if (count < 0 || static_cast<std::size_t>(count) > in.Remaining() / kMinCommentBytes)
    return Damaged(detail,
                   "the comment count " + std::to_string(count) + " does not fit in the file", doc);
  if (count > kMaxComments)
    return Damaged(detail,
                   "the graph has " + std::to_string(count) + " comments (at most " +
                       std::to_string(kMaxComments) + ")",
                   doc);

  GraphCommentList comments;
  for (int i = 0; i < count; ++i) {
    GraphComment c;
    if (!in.I32(c.x) || !in.I32(c.y) || !in.I32(c.fontSize))
      return Damaged(detail, "comment " + std::to_string(i + 1) + " is cut off", doc);
    if (c.x < 0 || c.x > 100 || c.y < 0 || c.y > 100)
      return Damaged(detail, "comment " + std::to_string(i + 1) + " stands outside the graph", doc);
    if (c.fontSize != 10 && c.fontSize != 13 && c.fontSize != 16)
      return Damaged(
          detail,
          "comment " + std::to_string(i + 1) + " has the text height " + std::to_string(c.fontSize),
          doc);
    std::string error;
    if (!ReadArchiveString(in, c.text, error))
      return Damaged(detail, "comment " + std::to_string(i + 1) + ": " + error, doc);
    if (c.text.size() > kMaxCommentLength)
      return Damaged(detail,
                     "comment " + std::to_string(i + 1) + " is " + std::to_string(c.text.size()) +
                         " characters long (at most " + std::to_string(kMaxCommentLength) + ")",
                     doc);
    comments.Append(c.text, c.x, c.y, c.fontSize);
  }

  chart::SRGraph& chart = doc.GetGraph();
  std::size_t used = 0;
  std::string error;
  if (!chart::DeserializeChart(in.Here(), in.Remaining(), chart, used, error))
    return Damaged(detail, "the chart is damaged: " + error, doc);
  if (used != in.Remaining())
    return Damaged(
        detail, std::to_string(in.Remaining() - used) + " bytes follow the end of the chart", doc);
  const int pairs = static_cast<int>(chart.pairs.size());
  if (pairs != axisCount - 1)
    return Damaged(detail,
                   "the chart holds " + std::to_string(pairs) + " pairs, the axis count says " +
                       std::to_string(axisCount - 1),
                   doc);
  if (chart.GroupCount() != 2 * pairs)
    return Damaged(detail,
                   "the chart holds " + std::to_string(chart.GroupCount()) + " data groups for " +
                       std::to_string(pairs) + " pairs",
                   doc);
  for (const auto& [x, y] : chart.pairs)
    if (x < 0 || x > kMaxChannels || y < 0 || y > kMaxChannels)
      return Damaged(detail, "a pair names a parameter that no location holds", doc);
  for (const auto& line : chart.limitLines)
    if (line.series < 0 || line.series >= pairs)
      return Damaged(detail, "a limit line belongs to no series of the graph", doc);

  doc.comments = std::move(comments);
  doc.settings.legend = legend;
  doc.settings.axisCount = axisCount;
  doc.settings.mode = mode;
  for (int& ref : doc.settings.axisParams) ref = 0;
  if (pairs > 0) doc.settings.axisParams[0] = chart.pairs[0].first;
  for (int k = 0; k < pairs; ++k)
    doc.settings.axisParams[k + 1] = chart.pairs[static_cast<std::size_t>(k)].second;
  return GraphFileResult::Ok;
}

GraphFileResult SaveGraphFile(const std::string& path, const GraphDocument& doc,
                              std::string& detail) {
  detail.clear();
  const std::string bytes = GraphFileBytes(doc);
  int err = 0;
  if (!WriteFilePieces(path, {std::string_view(bytes)}, &err)) {
    detail = WriteErrorText(err);
    return GraphFileResult::CannotWrite;
  }
  return GraphFileResult::Ok;
}

GraphFileResult LoadGraphFile(const std::string& path, GraphDocument& doc, std::string& detail) {
  detail.clear();
  doc.comments.Clear();
  doc.GetGraph().EmptyAll();
  std::error_code ec;
  const auto native = NativePath(path);
  if (!std::filesystem::exists(native, ec)) {
    detail = "the file does not exist";
    return GraphFileResult::CannotRead;
  }
  if (std::filesystem::is_directory(native, ec)) {
    detail = "it is a folder";
    return GraphFileResult::CannotRead;
  }
  PlatformFile file;
  if (!file.OpenRead(path)) {
    const int err = errno;
    detail = std::string("the file cannot be opened") +
             (err ? ": " + std::string(std::strerror(err)) : "");
    return GraphFileResult::CannotRead;
  }
  const std::int64_t size = file.Size();
  if (size < 0) {
    detail = "the file's size cannot be read";
    return GraphFileResult::CannotRead;
  }
  if (size > kMaxGraphFileBytes)
    return Damaged(detail, "the file is larger than any graph file (256 MB)", doc);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (size > 0 && file.ReadAt(0, bytes.data(), bytes.size()) != size) {
    detail = "the file cannot be read to its end";
    return GraphFileResult::CannotRead;
  }
  return ReadGraphBytes(bytes.data(), bytes.size(), doc, detail);
}

}  // namespace vantora::graph
