// libFuzzer target: the site table export over a folder of one to three
// fuzzed location files.
//
// Input: [count byte] then the files; every file but the last is preceded by
// its length (two bytes, big-endian, cut to what is left).
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "location/sitetable.h"
#include "scratch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace fs = std::filesystem;
  static const std::string root = fuzz::ScratchFolder("site");
  static const std::string site = root + "/Site";
  static const std::string output = root + "/Site.csv";
  static const char* const kNames[3] = {"A.loc", "b.LOC", "C.loc"};
  if (size < 1) return 0;
  std::error_code ec;
  fs::remove_all(site, ec);
  fs::remove(output, ec);
  fs::create_directory(site, ec);

  const int count = 1 + data[0] % 3;
  std::size_t at = 1;
  for (int i = 0; i < count; ++i) {
    std::size_t length = size - at;
    if (i + 1 < count) {
      if (size - at < 2) break;
      length = std::min<std::size_t>((std::size_t{data[at]} << 8) | data[at + 1], size - at - 2);
      at += 2;
    }
    if (!fuzz::WriteScratchFile(site + "/" + kNames[i], data + at, length)) return 0;
    at += length;
  }

  vantora::SiteTableStatus status = vantora::SiteTableStatus::Ok;
  std::vector<std::string> notices;
  int calls = 0;
  const bool ok = vantora::ExportSiteTable(
      site, output, &status,
      [&](int done, int total) {
        if (done < 0 || done > total || total > 3) std::abort();
        ++calls;
        return true;
      },
      &notices);
  // Success and the status agree; a failure always has its message, and
  // only a success leaves a table behind.
  if (ok != (status == vantora::SiteTableStatus::Ok)) std::abort();
  if (!ok && std::string(vantora::SiteTableMessage(status)).empty()) std::abort();
  if (ok != fs::exists(output)) std::abort();
  (void)calls;
  return 0;
}
