#include "reference_replace.h"

#include "engine/utf8_units.h"

#include <optional>
#include <vector>

namespace sorvane::testing {
namespace {

enum class Form { Bytes, Utf16LE, Utf16BE };

struct Unit {
  std::size_t offset;
  std::size_t length;
  char32_t value;  // folded where case is ignored
};

// Lone surrogates and a last odd byte of UTF-16 text equal no character.
constexpr char32_t kNoCharacter = 0x400000;

std::vector<Unit> bytesUnits(const std::string& text, bool ignoreCase) {
  std::vector<Unit> units;
  const auto* begin = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = begin + text.size();
  for (const auto* p = begin; p < end;) {
    if (!ignoreCase) {  // every byte is its own unit
      units.push_back({static_cast<std::size_t>(p - begin), 1, *p});
      ++p;
      continue;
    }
    const utf8::Unit unit = utf8::decodeUnit(p, end);
    units.push_back({static_cast<std::size_t>(p - begin), unit.length, utf8::foldUnit(unit.value)});
    p += unit.length;
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
      const char32_t character = 0x10000 + ((unit - 0xD800) << 10) + (codeUnit(at + 2) - 0xDC00);
      units.push_back({at, 4, utf8::foldUnit(character)});
      at += 2;
    } else {
      units.push_back({at, 2, high || low ? kNoCharacter + unit : utf8::foldUnit(unit)});
    }
  }
  if (at < text.size()) units.push_back({at, 1, kNoCharacter + 0x10000});
  return units;
}

// The characters of a UTF-8 text; nothing when it is not valid.
std::optional<std::vector<char32_t>> charactersOf(const std::string& text) {
  std::vector<char32_t> characters;
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    const utf8::Unit unit = utf8::decodeUnit(p, end);
    if (unit.value >= utf8::kInvalidByteBase) return std::nullopt;
    characters.push_back(unit.value);
    p += unit.length;
  }
  return characters;
}

std::vector<char32_t> codeUnitsOf(const std::vector<char32_t>& characters) {
  std::vector<char32_t> units;
  for (const char32_t c : characters) {
    if (c < 0x10000) {
      units.push_back(c);
    } else {
      units.push_back(0xD800 + ((c - 0x10000) >> 10));
      units.push_back(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  }
  return units;
}

// The find term as the units it must equal; nothing when it matches nothing.
std::optional<std::vector<char32_t>> termUnits(const std::string& find, Form form, bool ignoreCase) {
  std::vector<char32_t> values;
  if (form == Form::Bytes) {
    for (const Unit& unit : bytesUnits(find, ignoreCase)) values.push_back(unit.value);
    return values;
  }
  const std::optional<std::vector<char32_t>> characters = charactersOf(find);
  if (!characters) return std::nullopt;
  if (!ignoreCase) return codeUnitsOf(*characters);
  for (const char32_t c : *characters) values.push_back(utf8::foldUnit(c));
  return values;
}

std::optional<std::string> replacementBytes(const std::string& replace, Form form) {
  if (form == Form::Bytes) return replace;
  const std::optional<std::vector<char32_t>> characters = charactersOf(replace);
  if (!characters) return std::nullopt;
  std::string bytes;
  for (const char32_t unit : codeUnitsOf(*characters)) {
    const auto high = static_cast<char>(unit >> 8);
    const auto low = static_cast<char>(unit & 0xFF);
    bytes += form == Form::Utf16LE ? std::string{low, high} : std::string{high, low};
  }
  return bytes;
}

}  // namespace

ReferenceResult referenceReplace(const std::string& text, const std::string& find, const std::string& replace,
                                 bool ignoreCase) {
  if (text.starts_with(std::string("\xFF\xFE\0\0", 4)) || text.starts_with(std::string("\0\0\xFE\xFF", 4)))
    return {text, 0, true};
  Form form = Form::Bytes;
  std::size_t mark = 0;
  if (text.starts_with("\xFF\xFE")) {
    form = Form::Utf16LE;
    mark = 2;
  } else if (text.starts_with("\xFE\xFF")) {
    form = Form::Utf16BE;
    mark = 2;
  } else if (text.starts_with("\xEF\xBB\xBF")) {
    mark = 3;
  }
  const std::string body = text.substr(mark);
  const std::vector<Unit> units = form == Form::Bytes ? bytesUnits(body, ignoreCase) : utf16Units(body, form, ignoreCase);
  const std::optional<std::vector<char32_t>> term = termUnits(find, form, ignoreCase);
  const std::optional<std::string> replacement = replacementBytes(replace, form);
  const auto raw = [&](std::size_t from, std::size_t to) {  // the bytes of units [from, to)
    return body.substr(units[from].offset, units[to - 1].offset + units[to - 1].length - units[from].offset);
  };

  ReferenceResult result{text.substr(0, mark)};
  std::size_t i = 0;
  while (i < units.size()) {
    std::size_t end = i;  // the line is units [i, end)
    while (end < units.size() && units[end].value != '\r') ++end;
    while (i < end) {
      bool match = term && !term->empty() && i + term->size() <= end;
      for (std::size_t k = 0; match && k < term->size(); ++k) match = units[i + k].value == (*term)[k];
      if (match) {
        result.output += replacement.value_or("");
        ++result.count;
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
