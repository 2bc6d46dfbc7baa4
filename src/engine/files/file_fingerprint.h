#pragma once

#include <ctime>
#include <sys/stat.h>
#include <sys/types.h>

namespace sorvane {

inline bool sameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// What a file was when it was looked at: a later look that finds anything else means another
// program wrote to it, renamed another file over it, or touched it and put its time back.
struct FileFingerprint {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};
  timespec changed{};  // the status-change time, which no program can set back

  static FileFingerprint of(const struct stat& status) {
    return {status.st_dev, status.st_ino, status.st_size, status.st_mtim, status.st_ctim};
  }
  // The same file with the same size and modification time, whatever its status-change time: all
  // a fingerprint taken before a rename can tell, as the rename sets that time anew.
  bool sameVersionAs(const FileFingerprint& other) const {
    return device == other.device && inode == other.inode && size == other.size && sameTime(modified, other.modified);
  }
  friend bool operator==(const FileFingerprint& a, const FileFingerprint& b) {
    return a.sameVersionAs(b) && sameTime(a.changed, b.changed);
  }
};

}  // namespace sorvane
