#include "engine/files/temporary_name.h"

#include <cerrno>
#include <fcntl.h>
#include <random>

namespace sorvane {
namespace {

constexpr std::size_t kRandomCharacters = 6;
// Names are drawn again as long as they are taken, up to this many times.
constexpr int kNameAttempts = 100;

}  // namespace

std::string randomTemporaryName() {
  static constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  // Helper threads name files at once: each draws from its own generator.
  static thread_local std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::string name(kTemporaryPrefix);
  for (std::size_t i = 0; i < kRandomCharacters; ++i) name += alphabet[pick(generator)];
  return name.append(kTemporarySuffix);
}

int createTemporaryFile(int folder, std::string& name, const TemporaryNameAnnounce& announce) {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    if (attempt > 0 || name.empty()) name = randomTemporaryName();
    if (const int error = announce(name)) {
      errno = error;
      return -1;
    }
    const int fd = ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

bool isTemporaryName(std::string_view name) {
  return name.size() == kTemporaryPrefix.size() + kRandomCharacters + kTemporarySuffix.size() &&
         name.starts_with(kTemporaryPrefix) && name.ends_with(kTemporarySuffix);
}

}  // namespace sorvane
