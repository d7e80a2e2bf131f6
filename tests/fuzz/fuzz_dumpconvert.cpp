// libFuzzer target: the conversion of an instrument's log and channel dumps
// into location files, with a fuzzed site list.
//
// Input: [reserved size byte][site list length][site list]
//        [channel dump length, two bytes big-endian][channel dump][log dump]
// The site list is a run of 18-byte entries: [kind][id][16 name bytes]; an
// odd kind starts a site, an even one adds a location to the last site.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/platform.h"
#include "scratch.h"
#include "transfer/transferjob.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The instrument reads the transfer profile: keep it in the scratch folder.
  setenv("XDG_CONFIG_HOME", fuzz::ScratchFolder("dump").c_str(), 1);
  setenv("HOME", fuzz::ScratchFolder("dump").c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace fs = std::filesystem;
  static const std::string root = fuzz::ScratchFolder("dump");
  static const std::string dumps = root + "/dumps";
  static const std::string dest = root + "/dest/";
  static vantora::CTransferJob* job = [] {
    auto* j = new vantora::CTransferJob(dest);
    j->SetDumpFolder(dumps);
    return j;
  }();
  if (size < 4) return 0;
  std::error_code ec;
  fs::remove_all(dest, ec);
  fs::create_directories(dest, ec);
  fs::create_directories(dumps, ec);

  std::size_t at = 0;
  job->SetReservedSize(data[at++]);
  const std::size_t entries = data[at++];
  std::size_t listLength = std::min<std::size_t>(entries * 18, size - at);
  listLength -= listLength % 18;
  auto& list = const_cast<vantora::CSiteList&>(job->Instrument().SiteList());
  list.Clear();
  for (std::size_t e = at; e + 18 <= at + listLength; e += 18) {
    std::string name(reinterpret_cast<const char*>(data + e + 2), 16);
    name = name.substr(0, name.find('\0'));
    if (data[e] & 1) {
      vantora::CSite site;
      site.id = data[e + 1];
      site.name = name;
      list.sites.push_back(site);
    } else if (!list.sites.empty()) {
      list.sites.back().locationIds.push_back(data[e + 1]);
      list.sites.back().locationNames.push_back(name);
    }
  }
  at += listLength;
  if (size - at < 2) return 0;
  std::size_t chanLength =
      std::min<std::size_t>((std::size_t{data[at]} << 8) | data[at + 1], size - at - 2);
  at += 2;
  if (!fuzz::WriteScratchFile(dumps + "/chan_dump.sol", data + at, chanLength) ||
      !fuzz::WriteScratchFile(dumps + "/log_dump.sol", data + at + chanLength,
                              size - at - chanLength))
    return 0;

  if (!job->ConvertLogDump(dest)) std::abort();  // nothing cancels
  if (job->UnwrittenLogs() > job->LogsToWrite() ||
      job->LogsToWrite() - job->UnwrittenLogs() != static_cast<int>(job->WrittenFiles().size()))
    std::abort();
  // Whatever the names, every file lands inside the destination.
  static const fs::path base = fs::weakly_canonical(root + "/dest");
  for (const auto& file : job->WrittenFiles()) {
    // Core paths are Windows-1252; the file system's names are not.
    const fs::path placed = fs::weakly_canonical(vantora::NativePath(file));
    auto mismatch = std::mismatch(base.begin(), base.end(), placed.begin(), placed.end());
    if (mismatch.first != base.end() || !fs::is_regular_file(placed)) std::abort();
  }
  return 0;
}
