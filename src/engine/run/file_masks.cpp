#include "engine/run/file_masks.h"

#include "engine/text/utf8_units.h"

#include <algorithm>

namespace sorvane {
namespace {

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool anyMatches(const std::vector<NamePattern>& patterns, const std::vector<char32_t>& folded) {
  return std::any_of(patterns.begin(), patterns.end(),
                     [&](const NamePattern& pattern) { return pattern.matchesFolded(folded); });
}

}  // namespace

std::string MaskFault::message() const {
  if (mask.empty()) return "The file masks cannot be used: " + reason + ".";
  return "The file mask \"" + mask + "\" cannot be used: " + reason + ".";
}

std::variant<FileMasks, MaskFault> FileMasks::parse(std::string_view text) {
  FileMasks masks;
  const std::string_view whole = trimmed(text);
  // A separator at either end leaves an empty piece that is no mask, not a fault.
  const std::size_t from = whole.starts_with(';') ? 1 : 0;
  const std::size_t to = whole.size() > from && whole.ends_with(';') ? whole.size() - 1 : whole.size();
  const std::string_view pieces = whole.substr(from, to - from);
  if (trimmed(pieces).empty()) return masks;
  for (std::size_t start = 0;;) {
    const std::size_t end = pieces.find(';', start);
    const std::string_view piece = pieces.substr(start, end == std::string_view::npos ? end : end - start);
    if (trimmed(piece).empty()) return MaskFault{{}, "there is an empty mask between two \";\""};
    if (auto fault = masks.add(piece)) return *fault;
    if (end == std::string_view::npos) return masks;
    start = end + 1;
  }
}

std::optional<MaskFault> FileMasks::add(std::string_view typed) {
  const std::string_view mask = trimmed(typed);
  if (mask.empty()) return MaskFault{{}, "a mask is empty"};
  const bool leavesOut = mask.starts_with('!');
  std::string_view name = trimmed(mask.substr(leavesOut ? 1 : 0));
  const bool folder = name.ends_with('/');
  if (folder) name.remove_suffix(1);
  if (name.empty())
    return MaskFault{std::string(mask), folder ? "\"/\" needs a folder name before it" : "\"!\" needs a name after it"};
  if (name.find('/') != std::string_view::npos) return MaskFault{std::string(mask), "\"/\" may only end a mask"};
  // A folder is left out whether or not its mask starts with "!": the walk only enters folders.
  (folder ? foldersLeftOut_ : leavesOut ? excluded_ : included_).emplace_back(name);
  return std::nullopt;
}

bool FileMasks::takesFile(std::string_view name) const {
  if (included_.empty() && excluded_.empty()) return true;
  const std::vector<char32_t> folded = utf8::foldedUnits(name);
  return (included_.empty() || anyMatches(included_, folded)) && !anyMatches(excluded_, folded);
}

bool FileMasks::entersFolder(std::string_view name) const {
  return foldersLeftOut_.empty() || !anyMatches(foldersLeftOut_, utf8::foldedUnits(name));
}

}  // namespace sorvane
