// libFuzzer target: the audit file reader (plain part, sealed block, reports)
// on arbitrary bytes, and the record reader on the same bytes in memory.
#include <cstdint>
#include <string>

#include "integrity/auditreport.h"
#include "integrity/blowfish.h"
#include "integrity/lockfile.h"
#include "integrity/recordfile.h"
#include "scratch.h"

namespace {

// "F.loc" in the run's scratch folder, beside which the audit file is written.
const std::string& LocationPath() {
  static const std::string path = [] {
    std::string loc = fuzz::ScratchFolder("audit") + "/F.loc";
    if (!fuzz::WriteScratchFile(loc, "LOCATION", 8)) std::abort();
    return loc;
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantora;
  BlowfishCipher::SetMessageHook(nullptr);
  const std::string& loc = LocationPath();
  if (!fuzz::WriteScratchFile(LockPathOf(loc), data, size)) return 0;
  LockFile lock(loc);
  LockInfo info;
  lock.IsLocked();
  lock.CheckFileCrc(info);
  LockInfo full;
  lock.ReadFull(lock.LockPath(), "secret", full);
  AuditOpeningReport(loc);
  AuditDetailsReport(loc, std::string(reinterpret_cast<const char*>(data), size < 12 ? size : 12));

  RecordFile mem(loc);
  mem.OpenMemoryForRead(data, size);
  while (!mem.AtEnd() && mem.Error() == RecordFileError::None) {
    mem.ReadCountedString();
    mem.ReadTime();
    mem.ReadDword();
    mem.ReadFixedString(3);
  }
  mem.Close();
  return 0;
}
