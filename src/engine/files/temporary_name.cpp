#include "engine/files/temporary_name.h"

#include <random>

namespace sorvane {
namespace {

constexpr std::size_t kRandomCharacters = 6;

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

bool isTemporaryName(std::string_view name) {
  return name.size() == kTemporaryPrefix.size() + kRandomCharacters + kTemporarySuffix.size() &&
         name.starts_with(kTemporaryPrefix) && name.ends_with(kTemporarySuffix);
}

}  // namespace sorvane
