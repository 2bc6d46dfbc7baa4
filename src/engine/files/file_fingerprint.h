#pragma once

#include <ctime>
#include <sys/stat.h>
#include <sys/types.h>

namespace sorvane {

// What identifies one version of a file: a rewrite gives the file a new inode, and an edit a
// new size or modification time.
struct FileFingerprint {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};

  static FileFingerprint of(const struct stat& status) {
    return {status.st_dev, status.st_ino, status.st_size, status.st_mtim};
  }
  bool operator==(const FileFingerprint& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
  }
};

// A file as it was when it was looked at, down to its status-change time, which no program can
// set back: a later look that finds anything else means another program wrote to it, renamed
// another file over it, or touched it and put its modification time back.
struct FileVersion {
  FileFingerprint fingerprint;
  timespec changed{};

  static FileVersion of(const struct stat& status) { return {FileFingerprint::of(status), status.st_ctim}; }
  bool operator==(const FileVersion& other) const {
    return fingerprint == other.fingerprint && changed.tv_sec == other.changed.tv_sec &&
           changed.tv_nsec == other.changed.tv_nsec;
  }
};

}  // namespace sorvane
