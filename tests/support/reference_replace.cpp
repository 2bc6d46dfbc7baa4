#include "reference_replace.h"
#include "utf16_file.h"

#include <optional>
#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>
#include <vector>

// Deliberately apart from the engine: decoding and folding straight from ICU for every
// character, so that a fault in the engine's fast paths cannot hide in the model as well.
namespace sorvane::testing {
namespace {

enum class Form { Bytes, Utf16LE, Utf16BE };

struct Unit {
  std::size_t offset;
  std::size_t length;
  char32_t value;  // folded where case is ignored
};

// Values no character has: a byte outside any UTF-8 character equals only itself, lone
// surrogates and a last odd byte of UTF-16 text equal nothing else.
constexpr char32_t kStrayByte = 0x200000;
constexpr char32_t kNoCharacter = 0x400000;

char32_t fold(char32_t character) {
  return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(character), U_FOLD_CASE_DEFAULT));
}

// The character of the UTF-8 sequence that starts at text[at], and its length in bytes; nothing
// when none starts there (a stray byte, or a sequence that is cut short, overlong, a surrogate or
// beyond U+10FFFF).
std::optional<std::pair<char32_t, std::size_t>> characterAt(const std::string& text, std::size_t at) {
  auto end = static_cast<int32_t>(at);
  UChar32 character = 0;
  U8_NEXT(text.data(), end, static_cast<int32_t>(text.size()), character);
  if (character < 0) return std::nullopt;
  return std::pair{static_cast<char32_t>(character), static_cast<std::size_t>(end) - at};
}

std::vector<Unit> bytesUnits(const std::string& text, bool ignoreCase) {
  std::vector<Unit> units;
  for (std::size_t at = 0; at < text.size();) {
    const auto character = ignoreCase ? characterAt(text, at) : std::nullopt;
    const auto value = static_cast<unsigned char>(text[at]);
    const std::size_t length = character ? character->second : 1;
    const char32_t byte = ignoreCase && value >= 0x80 ? kStrayByte + value : value;
    units.push_back({at, length, character ? fold(character->first) : byte});
    at += length;
  }
  return units;
}

// Code units where case matters, characters where it is ignored.
std::vector<Unit> utf16Units(const std::string& text, Form form, bool ignoreCase) {
  const auto codeUnit = [&](std::size_t at) -> char32_t {
    const auto first = static_cast<unsigned char>(text[at]);
    const auto second = static_cast<unsigned char>(text[at + 1]);
    return form == Form::Utf16LE ? first | second << 8 : first << 8 | second;
  };
  std::vector<Unit> units;
  std::size_t at = 0;
  for (; at + 2 <= text.size(); at += 2) {
    const char32_t unit = codeUnit(at);
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
    if (!ignoreCase) {
      units.push_back({at, 2, unit});
    } else if (high && at + 4 <= text.size() && codeUnit(at + 2) >= 0xDC00 && codeUnit(at + 2) <= 0xDFFF) {
      units.push_back({at, 4, fold(0x10000 + ((unit - 0xD800) << 10) + (codeUnit(at + 2) - 0xDC00))});
      at += 2;
    } else {
      units.push_back({at, 2, high || low ? kNoCharacter + unit : fold(unit)});
    }
  }
  if (at < text.size()) units.push_back({at, 1, kNoCharacter + 0x10000});
  return units;
}

std::vector<Unit> unitsOf(const std::string& text, Form form, bool ignoreCase) {
  return form == Form::Bytes ? bytesUnits(text, ignoreCase) : utf16Units(text, form, ignoreCase);
}

// A UTF-8 text in the form's encoding; nothing when it has none (UTF-16 needs valid UTF-8).
std::optional<std::string> encoded(const std::string& text, Form form) {
  if (form == Form::Bytes) return text;
  std::u16string units(text.size(), u'\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8(reinterpret_cast<UChar*>(units.data()), static_cast<int32_t>(units.size()), &length, text.data(),
                static_cast<int32_t>(text.size()), &status);
  if (U_FAILURE(status)) return std::nullopt;
  // Without the byte order mark: these are a term's or replacement's bytes, not a whole file's.
  return utf16File(units.substr(0, static_cast<std::size_t>(length)), form == Form::Utf16BE).substr(2);
}

}  // namespace

ReferenceResult referenceReplace(const std::string& text, const std::string& find, const std::string& replace,
                                 bool ignoreCase, const std::set<std::int64_t>& dropped) {
  if (text.starts_with(std::string("\xFF\xFE\0\0", 4)) || text.starts_with(std::string("\0\0\xFE\xFF", 4)))
    return {text, 0, true};
  const Form form = text.starts_with("\xFF\xFE") ? Form::Utf16LE
                    : text.starts_with("\xFE\xFF") ? Form::Utf16BE
                                                   : Form::Bytes;
  const std::size_t mark = form != Form::Bytes ? 2 : text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  const std::string body = text.substr(mark);
  const std::vector<Unit> units = unitsOf(body, form, ignoreCase);
  std::optional<std::vector<char32_t>> term;  // the values an occurrence's units have
  if (const std::optional<std::string> findBytes = encoded(find, form)) {
    term.emplace();
    for (const Unit& unit : unitsOf(*findBytes, form, ignoreCase)) term->push_back(unit.value);
  }
  const std::optional<std::string> replacement = encoded(replace, form);
  const auto raw = [&](std::size_t from, std::size_t to) {  // the bytes of units [from, to)
    return body.substr(units[from].offset, units[to - 1].offset + units[to - 1].length - units[from].offset);
  };

  ReferenceResult result{text.substr(0, mark)};
  std::int64_t met = 0;  // occurrences met, dropped or not
  std::size_t i = 0;
  while (i < units.size()) {
    std::size_t end = i;  // the line is units [i, end)
    while (end < units.size() && units[end].value != '\r') ++end;
    while (i < end) {
      bool match = term && !term->empty() && i + term->size() <= end;
      for (std::size_t k = 0; match && k < term->size(); ++k) match = units[i + k].value == (*term)[k];
      if (match) {
        const bool chosen = !dropped.contains(met++);
        result.output += chosen ? replacement.value_or("") : raw(i, i + term->size());
        result.count += chosen ? 1 : 0;
        i += term->size();
      } else {
        result.output += raw(i, i + 1);
        ++i;
      }
    }
    if (end == units.size()) break;
    const std::size_t next = end + 1 < units.size() && units[end + 1].value == '\n' ? end + 2 : end + 1;
    result.output += raw(end, next);  // the line end, as it was
    i = next;
  }
  if (!replacement && result.count > 0) return {text, 0, true};
  return result;
}

}  // namespace sorvane::testing
