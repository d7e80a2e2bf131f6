/* Preloaded into a program under test (LD_PRELOAD) to make the file system
 * fail or stall for chosen paths, as a full disk, a read-only file system or a
 * slow device would.
 *
 *   VANTORA_FAULT_PATH   a text; files whose path contains it are affected
 *   VANTORA_FAULT        ENOSPC: writes to such files fail (a full disk)
 *                        EROFS:  creating or opening one to write fails
 *                        block:  the first write or sync of one stops until a
 *                                signal ends the program
 *   VANTORA_FAULT_READY  (block) a file created once the program has stopped
 *
 * Only calls made through the program's own symbols are seen (not the C
 * library's internal ones, such as those behind fopen/fwrite). */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

enum { kMaxFd = 4096 };
static volatile unsigned char watched[kMaxFd];

static const char* Setting(const char* name) {
  const char* value = getenv(name);
  return value && *value ? value : NULL;
}

static int Matches(const char* path) {
  const char* part = Setting("VANTORA_FAULT_PATH");
  return part && path && strstr(path, part) != NULL;
}

static int FaultIs(const char* kind) {
  const char* fault = Setting("VANTORA_FAULT");
  return fault && strcmp(fault, kind) == 0;
}

static void Stall(void) {
  const char* ready = Setting("VANTORA_FAULT_READY");
  if (ready) {
    __typeof__(open)* real_open = (__typeof__(open)*)dlsym(RTLD_NEXT, "open");
    int fd = real_open(ready, O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0) close(fd);
  }
  for (;;) pause();
}

/* Returns -1 with errno set when the call is to fail, 0 to go ahead. */
static int BeforeOpen(const char* path, int flags) {
  const int writing = (flags & O_ACCMODE) != O_RDONLY;
  if (writing && Matches(path) && FaultIs("EROFS")) {
    errno = EROFS;
    return -1;
  }
  return 0;
}

static int AfterOpen(const char* path, int flags, int fd) {
  if (fd >= 0 && fd < kMaxFd) watched[fd] = (flags & O_ACCMODE) != O_RDONLY && Matches(path);
  return fd;
}

static int BeforeWrite(int fd) {
  if (fd < 0 || fd >= kMaxFd || !watched[fd]) return 0;
  if (FaultIs("block")) Stall();
  if (FaultIs("ENOSPC")) {
    errno = ENOSPC;
    return -1;
  }
  return 0;
}

#define REAL(name)                      \
  static __typeof__(name)* real_##name; \
  if (!real_##name) real_##name = (__typeof__(name)*)dlsym(RTLD_NEXT, #name)

#define OPEN_LIKE(name)                                            \
  int name(const char* path, int flags, ...) {                     \
    REAL(name);                                                    \
    mode_t mode = 0;                                               \
    if (flags & (O_CREAT | O_TMPFILE)) {                           \
      va_list args;                                                \
      va_start(args, flags);                                       \
      mode = (mode_t)va_arg(args, int);                            \
      va_end(args);                                                \
    }                                                              \
    if (BeforeOpen(path, flags) < 0) return -1;                    \
    return AfterOpen(path, flags, real_##name(path, flags, mode)); \
  }

#define OPENAT_LIKE(name)                                               \
  int name(int dir, const char* path, int flags, ...) {                 \
    REAL(name);                                                         \
    mode_t mode = 0;                                                    \
    if (flags & (O_CREAT | O_TMPFILE)) {                                \
      va_list args;                                                     \
      va_start(args, flags);                                            \
      mode = (mode_t)va_arg(args, int);                                 \
      va_end(args);                                                     \
    }                                                                   \
    if (BeforeOpen(path, flags) < 0) return -1;                         \
    return AfterOpen(path, flags, real_##name(dir, path, flags, mode)); \
  }

OPEN_LIKE(open)
OPEN_LIKE(open64)
OPENAT_LIKE(openat)
OPENAT_LIKE(openat64)

ssize_t write(int fd, const void* data, size_t size) {
  REAL(write);
  if (BeforeWrite(fd) < 0) return -1;
  return real_write(fd, data, size);
}

ssize_t pwrite(int fd, const void* data, size_t size, off_t offset) {
  REAL(pwrite);
  if (BeforeWrite(fd) < 0) return -1;
  return real_pwrite(fd, data, size, offset);
}

ssize_t pwrite64(int fd, const void* data, size_t size, off_t offset) {
  REAL(pwrite64);
  if (BeforeWrite(fd) < 0) return -1;
  return real_pwrite64(fd, data, size, offset);
}

int fsync(int fd) {
  REAL(fsync);
  if (fd >= 0 && fd < kMaxFd && watched[fd] && FaultIs("block")) Stall();
  return real_fsync(fd);
}

int close(int fd) {
  REAL(close);
  if (fd >= 0 && fd < kMaxFd) watched[fd] = 0;
  return real_close(fd);
}
