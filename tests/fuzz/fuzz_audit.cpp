// libFuzzer target: the audit file reader (plain part, sealed block, reports)
// on arbitrary bytes, and the record reader on the same bytes in memory.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "integrity/auditreport.h"
#include "integrity/blowfish.h"
#include "integrity/lockfile.h"
#include "integrity/recordfile.h"

namespace {

// A private folder holding "F.loc" and "F.lck" for the whole run, removed at
// exit.
struct Scratch {
  Scratch() {
    char templ[] = "/tmp/vantora-fuzz-audit-XXXXXX";
    const char* made = mkdtemp(templ);
    if (!made) std::abort();
    folder = made;
    std::FILE* loc = std::fopen((folder + "/F.loc").c_str(), "wb");
    if (!loc) std::abort();
    std::fputs("LOCATION", loc);
    std::fclose(loc);
  }
  ~Scratch() {
    std::remove((folder + "/F.lck").c_str());
    std::remove((folder + "/F.loc").c_str());
    rmdir(folder.c_str());
  }
  std::string folder;
};

const std::string& Folder() {
  static Scratch scratch;
  return scratch.folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantora;
  BlowfishCipher::SetMessageHook(nullptr);
  const std::string loc = Folder() + "/F.loc";
  {
    std::FILE* f = std::fopen(LockPathOf(loc).c_str(), "wb");
    if (!f) return 0;
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
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
