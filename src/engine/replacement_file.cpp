#include "engine/replacement_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace sorvane {
namespace {

constexpr std::size_t kPendingCapacity = 1024 * 1024;
// Written data is handed to the disk in steps of this size while the rewrite goes on, so the
// final flush before the swap has little left to wait for.
constexpr std::uint64_t kWritebackStep = 8 * 1024 * 1024;

std::string folderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes a finished rename survive a power cut; a folder that refuses fsync loses nothing more.
void syncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

ReplacementFile::ReplacementFile(std::string target, int sourceFd, const struct stat& sourceStatus,
                                 std::string replacement, RenameCall rename)
    : target_(std::move(target)),
      sourceFd_(sourceFd),
      sourceStatus_(sourceStatus),
      replacement_(std::move(replacement)),
      rename_(rename) {}

ReplacementFile::~ReplacementFile() { discard(); }

bool ReplacementFile::keep(std::string_view bytes) {
  if (temporaryFd_ < 0) {
    untouchedPrefix_ += bytes.size();
    return true;
  }
  return write(bytes);
}

bool ReplacementFile::replace(std::string_view) {
  if (temporaryFd_ < 0 && !create()) return false;
  return write(replacement_);
}

bool ReplacementFile::create() {
  // A read-only target stays as it is, even where its folder would allow the swap. Root passes
  // the access check, so the write bits are asked too: whoever runs the program, no write bit
  // means the file was made read-only on purpose.
  if (::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) return fail(errno);
  if ((sourceStatus_.st_mode & 0222) == 0) return fail(EACCES);

  std::string name = folderOf(target_) + "/" + kTemporaryPrefix + "XXXXXX.tmp";
  temporaryFd_ = ::mkostemps(name.data(), 4, O_CLOEXEC);
  if (temporaryFd_ < 0) return fail(errno);
  temporaryPath_ = std::move(name);

  // Owner and group first: a change of owner may clear the mode's special bits.
  if (::fchown(temporaryFd_, sourceStatus_.st_uid, sourceStatus_.st_gid) != 0 && errno != EPERM)
    return fail(errno);
  if (::fchmod(temporaryFd_, sourceStatus_.st_mode & 07777) != 0) return fail(errno);

  pending_.resize(kPendingCapacity);
  return copyUntouchedPrefix();
}

// The bytes before the first occurrence are copied by the kernel, without passing through here.
bool ReplacementFile::copyUntouchedPrefix() {
  loff_t offset = 0;
  while (static_cast<std::uint64_t>(offset) < untouchedPrefix_) {
    const ssize_t n = ::copy_file_range(sourceFd_, &offset, temporaryFd_, nullptr,
                                        untouchedPrefix_ - static_cast<std::uint64_t>(offset), 0);
    if (n > 0) {
      written_ += static_cast<std::uint64_t>(n);
      continue;
    }
    if (n == 0) return fail(EIO);  // the source is shorter than what was read from it
    if (errno == EINTR) continue;
    if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) return fail(errno);
    // No kernel copy between these files: copy through the buffer instead.
    while (static_cast<std::uint64_t>(offset) < untouchedPrefix_) {
      const std::size_t chunk = std::min<std::uint64_t>(kPendingCapacity, untouchedPrefix_ - offset);
      const ssize_t got = ::pread(sourceFd_, pending_.data(), chunk, offset);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return fail(got == 0 ? EIO : errno);
      if (!writeAll(pending_.data(), static_cast<std::size_t>(got))) return false;
      offset += got;
    }
  }
  return true;
}

bool ReplacementFile::write(std::string_view bytes) {
  if (pendingSize_ + bytes.size() > pending_.size()) {
    if (!flush()) return false;
    if (bytes.size() >= pending_.size()) return writeAll(bytes.data(), bytes.size());
  }
  std::memcpy(pending_.data() + pendingSize_, bytes.data(), bytes.size());
  pendingSize_ += bytes.size();
  return true;
}

bool ReplacementFile::flush() {
  const std::size_t size = pendingSize_;
  pendingSize_ = 0;
  return writeAll(pending_.data(), size);
}

void ReplacementFile::startWriteback() {
  if (written_ - writebackStarted_ < kWritebackStep) return;
  // Only a hint: where it is not supported, the final fdatasync does all the work.
  ::sync_file_range(temporaryFd_, static_cast<off64_t>(writebackStarted_),
                    static_cast<off64_t>(written_ - writebackStarted_), SYNC_FILE_RANGE_WRITE);
  writebackStarted_ = written_;
}

bool ReplacementFile::writeAll(const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(temporaryFd_, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return fail(n == 0 ? ENOSPC : errno);
    data += n;
    size -= static_cast<std::size_t>(n);
    written_ += static_cast<std::uint64_t>(n);
  }
  startWriteback();
  return true;
}

bool ReplacementFile::commit() {
  if (temporaryFd_ < 0) return true;  // nothing was replaced, nothing to swap
  if (!flush()) return false;
  // The content must be on disk before the name points at it, or a crash could leave the
  // target empty.
  if (::fdatasync(temporaryFd_) != 0) return fail(errno);
  const int fd = temporaryFd_;
  temporaryFd_ = -1;
  if (::close(fd) != 0) return fail(errno);
  if (rename_(temporaryPath_.c_str(), target_.c_str()) != 0) return fail(errno);
  temporaryPath_.clear();
  syncFolder(folderOf(target_));
  return true;
}

void ReplacementFile::discard() {
  if (temporaryFd_ >= 0) ::close(temporaryFd_);
  temporaryFd_ = -1;
  if (!temporaryPath_.empty()) ::unlink(temporaryPath_.c_str());
  temporaryPath_.clear();
}

bool ReplacementFile::fail(int error) {
  failure_ = failureFromErrno(error, target_);
  discard();
  return false;
}

}  // namespace sorvane
