#include "engine/text/replacement_template.h"

#include "engine/text/utf16_units.h"
#include "engine/text/utf8_units.h"

#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <cctype>

namespace sorvane {
namespace {

std::size_t formIndex(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf16LE: return 1;
    case TextEncoding::Utf16BE: return 2;
    default: return 0;
  }
}

bool isNameCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Upper- or lower-cases valid characters, in the root locale: a user's language never changes
// what a run writes.
std::u16string mapped(const std::u16string& text, bool upper) {
  std::u16string out(text.size() * 3 + 4, u'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    UErrorCode status = U_ZERO_ERROR;
    const auto capacity = static_cast<int32_t>(out.size());
    const auto source = reinterpret_cast<const UChar*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    auto* destination = reinterpret_cast<UChar*>(out.data());
    const int32_t needed = upper ? u_strToUpper(destination, capacity, source, length, "", &status)
                                 : u_strToLower(destination, capacity, source, length, "", &status);
    if (U_SUCCESS(status)) {
      out.resize(static_cast<std::size_t>(needed));
      return out;
    }
    if (status != U_BUFFER_OVERFLOW_ERROR) return text;
    out.resize(static_cast<std::size_t>(needed));
  }
  return text;
}

}  // namespace

// Writes text in the output's code units, case-changed as the template says so far.
class ReplacementTemplate::CasedOutput {
 public:
  CasedOutput(TextEncoding encoding, std::string& out) : order_(utf16ByteOrderOf(encoding)), out_(out) {}

  void setMode(Case mode) { mode_ = mode; }
  void setNext(Case next) { next_ = next; }

  void append(std::string_view units) {
    if (mode_ == Case::Kept && next_ == Case::Kept) {
      out_ += units;
      return;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(units.data());
    const auto* end = p + units.size();
    while (p < end) {
      std::size_t length = 0;
      const std::optional<char32_t> character = order_ ? utf16Character(p, end, length) : utf8Character(p, end, length);
      if (!character) {
        flush();
        out_.append(reinterpret_cast<const char*>(p), length);  // a unit that is no character
      } else if (next_ != Case::Kept) {
        flush();
        appendToRun(*character);
        writeRun(next_);
        run_.clear();
        next_ = Case::Kept;
      } else {
        appendToRun(*character);
      }
      p += length;
    }
    flush();
  }

 private:
  std::optional<char32_t> utf8Character(const unsigned char* p, const unsigned char* end, std::size_t& length) {
    const utf8::Unit unit = utf8::decodeUnit(p, end);
    length = unit.length;
    if (unit.value >= utf8::kInvalidByteBase) return std::nullopt;
    return unit.value;
  }

  std::optional<char32_t> utf16Character(const unsigned char* p, const unsigned char* end, std::size_t& length) {
    length = end - p < 2 ? static_cast<std::size_t>(end - p) : 2;
    if (length < 2) return std::nullopt;
    const char16_t unit = utf16::unitAt(p, *order_);
    if (!utf16::isHighSurrogate(unit)) return utf16::isLowSurrogate(unit) ? std::nullopt : std::optional<char32_t>(unit);
    if (end - p < 4 || !utf16::isLowSurrogate(utf16::unitAt(p + 2, *order_))) return std::nullopt;
    length = 4;
    return utf16::combine(unit, utf16::unitAt(p + 2, *order_));
  }

  void appendToRun(char32_t character) {
    if (character < 0x10000) {
      run_ += static_cast<char16_t>(character);
    } else {
      run_ += static_cast<char16_t>(U16_LEAD(character));
      run_ += static_cast<char16_t>(U16_TRAIL(character));
    }
  }

  void flush() {
    writeRun(mode_);
    run_.clear();
  }

  void writeRun(Case change) {
    if (run_.empty()) return;
    const std::u16string text = change == Case::Kept ? run_ : mapped(run_, change == Case::Upper);
    for (std::size_t i = 0; i < text.size(); ++i) {
      char32_t character = text[i];
      if (utf16::isHighSurrogate(text[i]) && i + 1 < text.size()) {
        character = utf16::combine(text[i], text[i + 1]);
        ++i;
      }
      if (order_)
        utf16::appendCharacter(out_, character, *order_);
      else
        utf8::appendCharacter(out_, character);
    }
  }

  const std::optional<utf16::ByteOrder> order_;
  std::string& out_;
  Case mode_ = Case::Kept;
  Case next_ = Case::Kept;
  std::u16string run_;
};

std::optional<ReplacementTemplate> ReplacementTemplate::parse(std::string_view text, const Pattern& pattern,
                                                              PatternError& error) {
  ReplacementTemplate parsed;
  std::string literal;
  const auto endText = [&] {
    if (!literal.empty()) parsed.addText(std::move(literal));
    literal.clear();
  };
  const auto fail = [&](std::string message, std::size_t at) {
    error = {std::move(message), at};
    return std::nullopt;
  };
  const auto addGroup = [&](std::uint32_t group) {
    endText();
    parsed.pieces_.push_back(Piece{Piece::Kind::Group, {}, group, Case::Kept});
    parsed.constant_ = false;
  };
  const auto addCase = [&](Piece::Kind kind, Case change) {
    endText();
    parsed.pieces_.push_back(Piece{kind, {}, 0, change});
    parsed.constant_ = false;
  };

  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '$') {
      const std::size_t at = i;
      if (i + 1 < text.size() && text[i + 1] == '$') {
        literal += '$';
        i += 2;
        continue;
      }
      std::string name;
      if (i + 1 < text.size() && text[i + 1] == '{') {
        const std::size_t close = text.find('}', i + 2);
        if (close == std::string_view::npos) return fail("${ without its closing brace", at);
        name = std::string(text.substr(i + 2, close - i - 2));
        if (name.empty() || !std::all_of(name.begin(), name.end(), isNameCharacter))
          return fail("a group is named by a number or a name of letters, digits and _", at);
        i = close + 1;
      } else {
        std::size_t end = i + 1;
        while (end < text.size() && end < i + 3 && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
        if (end == i + 1) return fail("a $ names a group: write $$ for a dollar sign", at);
        if (end < text.size() && isNameCharacter(text[end]))
          return fail("a letter or digit runs on from the group number: write ${" +
                          std::string(text.substr(i + 1, end - i - 1)) + "} before it",
                      at);
        name = std::string(text.substr(i + 1, end - i - 1));
        i = end;
      }
      if (std::isdigit(static_cast<unsigned char>(name[0]))) {
        if (!std::all_of(name.begin(), name.end(), [](char d) { return std::isdigit(static_cast<unsigned char>(d)); }))
          return fail("a group name starts with a letter or _", at);
        const unsigned long number = name.size() > 2 ? 100 : std::stoul(name);
        if (number > pattern.groupCount()) return fail("the pattern has no group " + name, at);
        addGroup(static_cast<std::uint32_t>(number));
      } else {
        const std::optional<std::uint32_t> number = pattern.groupNumber(name);
        if (!number) return fail("the pattern has no group named " + name, at);
        addGroup(*number);
      }
      continue;
    }
    if (c != '\\') {
      literal += c;
      ++i;
      continue;
    }
    if (i + 1 == text.size()) return fail("a backslash ends the template: write \\\\ for one", i);
    switch (text[i + 1]) {
      case '\\': literal += '\\'; break;
      case 'n': literal += '\n'; break;
      case 't': literal += '\t'; break;
      case 'r': literal += '\r'; break;
      case 'U': addCase(Piece::Kind::Mode, Case::Upper); break;
      case 'L': addCase(Piece::Kind::Mode, Case::Lower); break;
      case 'E': addCase(Piece::Kind::Mode, Case::Kept); break;
      case 'u': addCase(Piece::Kind::Next, Case::Upper); break;
      case 'l': addCase(Piece::Kind::Next, Case::Lower); break;
      default:
        return fail("unknown escape \\" + std::string(text.substr(i + 1, 1)), i);
    }
    i += 2;
  }
  endText();
  return parsed;
}

void ReplacementTemplate::addText(std::string text) {
  Piece piece{Piece::Kind::Text, {}, 0, Case::Kept};
  piece.text[1] = utf16::fromUtf8(text, utf16::ByteOrder::LittleEndian);
  piece.text[2] = utf16::fromUtf8(text, utf16::ByteOrder::BigEndian);
  piece.text[0] = std::move(text);
  pieces_.push_back(std::move(piece));
}

bool ReplacementTemplate::expand(std::span<const std::string_view> groups, TextEncoding encoding,
                                 std::string& out) const {
  CasedOutput output(encoding, out);
  const std::size_t form = formIndex(encoding);
  for (const Piece& piece : pieces_) {
    switch (piece.kind) {
      case Piece::Kind::Text:
        if (!piece.text[form]) return false;
        output.append(*piece.text[form]);
        break;
      case Piece::Kind::Group:
        if (piece.group < groups.size()) output.append(groups[piece.group]);
        break;
      case Piece::Kind::Mode: output.setMode(piece.changeTo); break;
      case Piece::Kind::Next: output.setNext(piece.changeTo); break;
    }
  }
  return true;
}

}  // namespace sorvane
