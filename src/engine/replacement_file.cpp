#include "engine/replacement_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>

namespace sorvane {
namespace {

constexpr std::size_t kPendingCapacity = 1024 * 1024;
// Written data is handed to the disk in steps of this size while the rewrite goes on, so the
// final flush before the swap has little left to wait for.
constexpr std::uint64_t kWritebackStep = 8 * 1024 * 1024;
constexpr std::size_t kRandomCharacters = 6;
constexpr int kNameAttempts = 100;

std::string descriptorPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

std::string randomTemporaryName() {
  static constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  static thread_local std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::string name(ReplacementFile::kTemporaryPrefix);
  for (std::size_t i = 0; i < kRandomCharacters; ++i) name += alphabet[pick(generator)];
  return name.append(ReplacementFile::kTemporarySuffix);
}

}  // namespace

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

bool ReplacementFile::isTemporaryName(std::string_view name) {
  return name.size() == kTemporaryPrefix.size() + kRandomCharacters + kTemporarySuffix.size() &&
         name.starts_with(kTemporaryPrefix) && name.ends_with(kTemporarySuffix);
}

ReplacementFile::ReplacementFile(int folder, std::string name, std::string path, int sourceFd,
                                 const struct stat& sourceStatus, std::string replacement, const SwapCalls& calls)
    : folder_(folder),
      name_(std::move(name)),
      path_(std::move(path)),
      sourceFd_(sourceFd),
      sourceStatus_(sourceStatus),
      replacement_(std::move(replacement)),
      calls_(calls) {}

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
  if (::faccessat(folder_, name_.c_str(), W_OK, AT_EACCESS) != 0) return fail(errno);
  if ((sourceStatus_.st_mode & 0222) == 0) return fail(EACCES);

  temporaryFd_ = calls_.createUnnamed(folder_);
  if (temporaryFd_ < 0) {
    // vfat, NFS and older kernels have no unnamed files.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return fail(errno);
    if (!createNamed()) return false;
  }
  pending_.resize(kPendingCapacity);
  return copyUntouchedPrefix();
}

bool ReplacementFile::createNamed() {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string name = randomTemporaryName();
    temporaryFd_ = ::openat(folder_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (temporaryFd_ >= 0) {
      temporaryName_ = std::move(name);
      return true;
    }
    if (errno != EEXIST) return fail(errno);
  }
  return fail(EEXIST);
}

bool ReplacementFile::linkUnnamed() {
  const std::string source = descriptorPath(temporaryFd_);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string name = randomTemporaryName();
    if (calls_.link(AT_FDCWD, source.c_str(), folder_, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      temporaryName_ = std::move(name);
      return true;
    }
    if (errno != EEXIST) return fail(errno);
  }
  return fail(EEXIST);
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
  // After the last write, which would clear file capabilities and, for a user other than
  // root, the set-id bits.
  if (const int error = copyFileAttributes(sourceFd_, sourceStatus_, temporaryFd_, calls_.setAttribute))
    return fail(error);
  struct stat written {};
  if (journal_ && ::fstat(temporaryFd_, &written) == 0)
    journal_->keepOriginal({folder_, name_, path_, sourceFd_, sourceStatus_}, FileFingerprint::of(written));
  // The content must be on disk before the name points at it, or a crash could leave the
  // target empty.
  if (::fdatasync(temporaryFd_) != 0) return fail(errno);
  if (journal_) journal_->makeKeptDurable();
  if (temporaryName_.empty() && !linkUnnamed()) return false;
  const int fd = temporaryFd_;
  temporaryFd_ = -1;
  if (::close(fd) != 0) return fail(errno);
  if (calls_.rename(folder_, temporaryName_.c_str(), folder_, name_.c_str()) != 0) return fail(errno);
  temporaryName_.clear();
  // Makes the rename survive a power cut; a folder that refuses fsync loses nothing more.
  ::fsync(folder_);
  return true;
}

void ReplacementFile::discard() {
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

}  // namespace sorvane
