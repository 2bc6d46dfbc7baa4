#include "engine/files/replacement_file.h"

#include "engine/files/file_descriptor.h"
#include "engine/files/temporary_name.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <utility>

namespace sorvane {
int createUnnamedFile(int folder) {
  const int fd = ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd < 0) return -1;
  // Without /proc the file could never be given a name.
  if (::access(descriptorPath(fd).c_str(), F_OK) != 0) {
    ::close(fd);
    errno = EOPNOTSUPP;
    return -1;
  }
  return fd;
}

ReplacementFile::ReplacementFile(int folder, std::string name, std::string path, int sourceFd,
                                 const struct stat& sourceStatus, std::string replacement, const SwapCalls& calls,
                                 const WriteTuning& tuning, Yielder& yielder, UndoRecord* undoRecord)
    : folder_(folder),
      name_(std::move(name)),
      path_(std::move(path)),
      sourceFd_(sourceFd),
      sourceStatus_(sourceStatus),
      replacement_(std::move(replacement)),
      calls_(calls),
      tuning_(tuning),
      yielder_(yielder),
      undoRecord_(undoRecord),
      // A hole takes at least one block.
      kernelCopyFrom_(sourceStatus.st_blocks * 512 < sourceStatus.st_size
                          ? std::min<std::uint64_t>(tuning.kernelCopyFrom, sourceStatus.st_blksize)
                          : tuning.kernelCopyFrom) {}

ReplacementFile::~ReplacementFile() { discard(); }

bool ReplacementFile::keep(std::string_view bytes) {
  sourceOffset_ += bytes.size();
  // Before the first occurrence, and in a stretch the kernel copies, the source has the bytes.
  if (!writer_ || copyFrom_) return true;
  if (sourceOffset_ - stretchStart_ >= kernelCopyFrom_) {
    copyFrom_ = sourceOffset_ - bytes.size();
    return true;
  }
  return writer_->write(bytes) || writerFailed();
}

bool ReplacementFile::keepHole(std::uint64_t length) {
  if (writer_ && !copyFrom_) copyFrom_ = sourceOffset_;
  sourceOffset_ += length;
  return true;
}

// Inline in both replace(), and a term's replacement read where it is written: a term's
// occurrences, millions in a file, cost nothing more than before patterns.
template <typename Text>
bool ReplacementFile::put(std::string_view occurrence, const Text& replacement) {
  if (!writer_) {
    if (!create()) return false;
    copyFrom_ = 0;  // everything before the first occurrence
  }
  if (!endStretch() || !writer_->write(replacement)) return writerFailed();
  sourceOffset_ += occurrence.size();
  stretchStart_ = sourceOffset_;
  return true;
}

bool ReplacementFile::replace(std::string_view occurrence) { return put(occurrence, replacement_); }

bool ReplacementFile::replace(std::string_view occurrence, std::string_view replacement) {
  return put(occurrence, replacement);
}

bool ReplacementFile::endStretch() {
  if (!copyFrom_) return true;
  const std::uint64_t from = *copyFrom_;
  copyFrom_.reset();
  return writer_->copy(from, sourceOffset_ - from);
}

bool ReplacementFile::writerFailed() {
  if (!writer_->stopped()) return fail(writer_->error());
  stopped_ = true;
  discard();
  return false;
}

bool ReplacementFile::create() {
  // A read-only target stays as it is, even where its folder would allow the swap. Root passes
  // the access check, so the write bits are asked too: whoever runs the program, no write bit
  // means the file was made read-only on purpose.
  if (::faccessat(folder_, name_.c_str(), W_OK, AT_EACCESS) != 0) return fail(errno);
  if ((sourceStatus_.st_mode & 0222) == 0) return fail(EACCES);

  temporaryFd_ = calls_.createUnnamed(folder_);
  if (temporaryFd_ < 0) {
    // vfat, NFS and older kernels have no unnamed files.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return failToCreate(errno);
    if (!createNamed()) return false;
  }
  writer_ = std::make_unique<ReplacementWriter>(sourceFd_, temporaryFd_, tuning_, yielder_);
  return true;
}

bool ReplacementFile::createNamed() {
  std::string name;
  temporaryFd_ = createTemporaryFile(folder_, name, [this](const std::string& name) {
    if (undoRecord_) undoRecord_->givingTemporaryName(folder_, name);
    return 0;
  });
  if (temporaryFd_ < 0) return failToCreate(errno);
  temporaryName_ = std::move(name);
  return true;
}

bool ReplacementFile::failToCreate(int error) {
  // The file itself passed the access check: what refuses is its folder.
  if (error != EACCES && error != EPERM) return fail(error);
  failure_ = unwritableFolderFailure();
  discard();
  return false;
}

Status ReplacementFile::linkUnnamed() {
  // Only the name the journal was told of: another could be left behind by a kill unknown.
  if (calls_.link(AT_FDCWD, descriptorPath(temporaryFd_).c_str(), folder_, plannedName_.c_str(), AT_SYMLINK_FOLLOW) != 0)
    return failed(errno);
  temporaryName_ = plannedName_;
  return succeeded();
}

bool ReplacementFile::finishWriting() {
  if (!writer_) return true;
  return (endStretch() && writer_->finish()) || writerFailed();
}

Status ReplacementFile::seal() {
  // The buffer is needed no more, and a batch holds many sealed files.
  writer_.reset();
  // After the last write, which would clear file capabilities and, for a user other than
  // root, the set-id bits.
  if (const int error = copyFileAttributes(sourceFd_, sourceStatus_, temporaryFd_, calls_.setAttribute))
    return failed(error);
  struct stat written {};
  if (::fstat(temporaryFd_, &written) != 0) return failed(errno);
  size_ = static_cast<std::uint64_t>(written.st_size);
  written_ = FileFingerprint::of(written);
  if (temporaryName_.empty()) plannedName_ = randomTemporaryName();
  return succeeded();
}

bool ReplacementFile::keepOriginal() {
  if (!undoRecord_) return false;
  attempt_ = undoRecord_->keepOriginal({folder_, name_, path_, sourceFd_, sourceStatus_}, written_,
                                  temporaryName_.empty() ? plannedName_ : temporaryName_);
  return true;
}

Status ReplacementFile::flush() {
  // The content must be on disk before the name points at it, or a crash could leave the
  // target empty.
  if (calls_.flushData(temporaryFd_) != 0) return failed(errno);
  return succeeded();
}

Status ReplacementFile::publish() {
  if (temporaryName_.empty()) {
    if (Status linked = linkUnnamed(); !linked.ok()) return linked;
  }
  const int fd = std::exchange(temporaryFd_, -1);
  if (::close(fd) != 0) return failed(errno);
  if (Status swapped = swapIn(); !swapped.ok()) return swapped;
  if (undoRecord_) {
    // The rename set the status-change time. Another file under the name by now gets none, so
    // undo finds the file changed and leaves it alone.
    struct stat placed {};
    const bool ours = ::fstatat(folder_, name_.c_str(), &placed, AT_SYMLINK_NOFOLLOW) == 0 &&
                      placed.st_dev == written_.device && placed.st_ino == written_.inode;
    undoRecord_->recordPlaced(attempt_, ours ? placed.st_ctim : timespec{});
  }
  return succeeded();
}

Status ReplacementFile::swapIn() {
  if (calls_.rename(folder_, temporaryName_.c_str(), folder_, name_.c_str(), RENAME_EXCHANGE) != 0) {
    // A file system that cannot swap: renamed over, with no later look at what it replaced.
    if (errno != EINVAL) return failed(errno);
    if (calls_.rename(folder_, temporaryName_.c_str(), folder_, name_.c_str(), 0) != 0) return failed(errno);
    temporaryName_.clear();
    return succeeded();
  }
  // What the swap took from the name is the source as it was read, unless a program saved over
  // it since it was last looked at, as editors save: that save goes back under its name.
  struct stat taken {};
  const bool source = ::fstatat(folder_, temporaryName_.c_str(), &taken, AT_SYMLINK_NOFOLLOW) == 0 &&
                      FileFingerprint::of(taken).sameVersionAs(FileFingerprint::of(sourceStatus_));
  if (!source) {
    if (calls_.rename(folder_, temporaryName_.c_str(), folder_, name_.c_str(), RENAME_EXCHANGE) != 0) {
      // Never removed: under the temporary name it is still the other program's.
      const int error = errno;
      temporaryName_.clear();
      return failed(error);
    }
    return failed(EBUSY);
  }
  // The original's name: the journal holds a name of its own for it.
  ::unlinkat(folder_, temporaryName_.c_str(), 0);
  temporaryName_.clear();
  return succeeded();
}

void ReplacementFile::discard() {
  writer_.reset();  // its helper may still be writing to the file
  if (temporaryFd_ >= 0) ::close(temporaryFd_);
  temporaryFd_ = -1;
  if (!temporaryName_.empty()) ::unlinkat(folder_, temporaryName_.c_str(), 0);
  temporaryName_.clear();
}

bool ReplacementFile::fail(int error) {
  failure_ = failureFromErrno(error, path_);
  discard();
  return false;
}

Status ReplacementFile::failed(int error) {
  fail(error);
  return *failure_;
}

}  // namespace sorvane
