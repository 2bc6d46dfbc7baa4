#include "reference_replace.h"

#include "engine/utf8_units.h"

#include <vector>

namespace sorvane::testing {
namespace {

struct Unit {
  std::size_t offset;
  std::size_t length;
  char32_t folded;
};

std::vector<Unit> unitsOf(const std::string& line, bool ignoreCase) {
  std::vector<Unit> units;
  const auto* begin = reinterpret_cast<const unsigned char*>(line.data());
  const auto* end = begin + line.size();
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

std::string replaceLine(const std::string& line, const std::vector<Unit>& term, const std::string& replace,
                        bool ignoreCase, std::int64_t& count) {
  const std::vector<Unit> units = unitsOf(line, ignoreCase);
  std::string out;
  std::size_t i = 0;
  while (i < units.size()) {
    bool match = !term.empty() && i + term.size() <= units.size();
    for (std::size_t k = 0; match && k < term.size(); ++k) match = units[i + k].folded == term[k].folded;
    if (match) {
      out += replace;
      ++count;
      i += term.size();
    } else {
      out.append(line, units[i].offset, units[i].length);
      ++i;
    }
  }
  return out;
}

}  // namespace

ReferenceResult referenceReplace(const std::string& text, const std::string& find, const std::string& replace,
                                 bool ignoreCase) {
  const std::vector<Unit> term = unitsOf(find, ignoreCase);
  ReferenceResult result;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\r', start);
    std::size_t next = end;
    if (end == std::string::npos) {
      end = next = text.size();
    } else {
      next = end + (end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    result.output += replaceLine(text.substr(start, end - start), term, replace, ignoreCase, result.count);
    result.output.append(text, end, next - end);  // the line end, as it was
    start = next;
  }
  return result;
}

}  // namespace sorvane::testing
