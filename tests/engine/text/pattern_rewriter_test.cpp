#include "in_memory_rewrite.h"
#include "utf16_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <unicode/locid.h>
#include <unicode/unistr.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

namespace sorvane::testing {
namespace {

// A template as the test builds it, so that the model expands it without parsing its text.
struct Piece { enum Kind { Text, Group, Upper, Lower, End, NextUpper } kind; std::string text; std::uint32_t group; };

std::string templateText(const std::vector<Piece>& pieces) {
  std::string text;
  for (const Piece& piece : pieces) {
    const char* escapes[] = {"", "", "\\U", "\\L", "\\E", "\\u"};
    text += piece.kind == Piece::Text ? piece.text
            : piece.kind == Piece::Group ? "${" + std::to_string(piece.group) + "}" : escapes[piece.kind];
  }
  return text;
}

// The model's matching: PCRE2 over one whole line held in memory, with
// Perl's rule for empty matches as PCRE2's own demonstration program writes it.
template <typename Unit>
int matchLine(const Pattern& pattern, const std::basic_string<Unit>& line, std::size_t start, std::uint32_t options,
              std::vector<std::size_t>& groups) {
  const auto run = [&](auto* code, auto subject, auto create, auto match, auto ovectorOf, auto release) {
    auto* data = create(code, nullptr);
    const int result = match(code, subject, line.size(), start, options, data, nullptr);
    groups.assign(ovectorOf(data), ovectorOf(data) + 2 * std::max(result, 0));
    release(data);
    return result;
  };
  if constexpr (sizeof(Unit) == 1)
    return run(pattern.forBytes(), reinterpret_cast<PCRE2_SPTR8>(line.data()), pcre2_match_data_create_from_pattern_8,
               pcre2_match_8, pcre2_get_ovector_pointer_8, pcre2_match_data_free_8);
  else
    return run(pattern.forUtf16(), reinterpret_cast<PCRE2_SPTR16>(line.data()), pcre2_match_data_create_from_pattern_16,
               pcre2_match_16, pcre2_get_ovector_pointer_16, pcre2_match_data_free_16);
}

// Where the character that starts at `at` ends, or the longest stretch of invalid code units
// there, which gives a negative `character` or a surrogate.
template <typename Unit>
std::size_t afterCharacter(const std::basic_string<Unit>& line, std::size_t at, UChar32& character) {
  auto next = static_cast<int32_t>(at);
  if constexpr (sizeof(Unit) == 1) U8_NEXT(line.data(), next, static_cast<int32_t>(line.size()), character);
  else U16_NEXT(line.data(), next, static_cast<int32_t>(line.size()), character);
  return static_cast<std::size_t>(next);
}

template <typename Unit>
icu::UnicodeString asUnicode(const std::basic_string<Unit>& units) {
  if constexpr (sizeof(Unit) == 1) return icu::UnicodeString::fromUTF8(units);
  else return icu::UnicodeString(units.data(), static_cast<int32_t>(units.size()));
}

template <typename Unit>
std::basic_string<Unit> fromUnicode(const icu::UnicodeString& text) {
  std::string out;
  if constexpr (sizeof(Unit) == 1) return text.toUTF8String(out);
  else return std::u16string(text.getBuffer(), static_cast<std::size_t>(text.length()));
}

// Expands a template for one match; the case changes are made on the whole text of each piece.
template <typename Unit>
std::basic_string<Unit> expanded(const std::vector<Piece>& pieces, const std::basic_string<Unit>& line,
                                 const std::vector<std::size_t>& groups) {
  icu::UnicodeString out;
  std::basic_string<Unit> plain;
  const bool cased = std::any_of(pieces.begin(), pieces.end(), [](const Piece& p) { return p.kind > Piece::Group; });
  Piece::Kind mode = Piece::End, next = Piece::End;
  for (const Piece& piece : pieces) {
    if (piece.kind > Piece::Group) {
      (piece.kind == Piece::NextUpper ? next : mode) = piece.kind;
      continue;
    }
    const std::size_t pair = 2 * piece.group;
    std::basic_string<Unit> text(piece.text.begin(), piece.text.end());  // a group's is empty
    if (piece.kind == Piece::Group && pair < groups.size() && groups[pair] != PCRE2_UNSET)
      text = line.substr(groups[pair], groups[pair + 1] - groups[pair]);
    plain += text;
    icu::UnicodeString part = asUnicode(text);
    if (next == Piece::NextUpper && part.length() > 0) {
      icu::UnicodeString first(part, 0, part.moveIndex32(0, 1));
      part.remove(0, first.length());
      out += first.toUpper(icu::Locale::getRoot());
      next = Piece::End;
    }
    if (mode == Piece::Upper) part.toUpper(icu::Locale::getRoot());
    if (mode == Piece::Lower) part.toLower(icu::Locale::getRoot());
    out += part;
  }
  return cased ? fromUnicode<Unit>(out) : plain;
}

// Each line (ended by CR LF or a lone CR) replaced as a whole in memory; the matches from
// `keptFrom` on, counted from 0, stay as they are.
template <typename Unit>
std::basic_string<Unit> modelRewrite(const std::basic_string<Unit>& text, const Pattern& pattern,
                                     const std::vector<Piece>& pieces, std::int64_t keptFrom, std::int64_t& count) {
  std::int64_t matches = 0;
  std::basic_string<Unit> out;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t cr = std::min(text.find(Unit('\r'), at), text.size());
    const std::basic_string<Unit> line = text.substr(at, cr - at);
    std::vector<std::size_t> groups;
    for (std::size_t start = 0, emptyAt = std::string::npos; start <= line.size();) {
      const std::uint32_t options = emptyAt == start ? PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED : 0;
      // PCRE2 10.42 lets an anchored match of invalid UTF start further on: it is no match here.
      if (matchLine(pattern, line, start, options, groups) < 0 || (options != 0 && groups[0] != start)) {
        if (emptyAt != start) {
          out += line.substr(start);
          break;
        }
        if (start == line.size()) break;
        // Past the empty match by one character, or one stretch of invalid code units.
        UChar32 character = 0;
        const std::size_t next = afterCharacter(line, start, character);
        out += line.substr(start, next - start);
        start = next;
        emptyAt = std::string::npos;
        continue;
      }
      out += line.substr(start, groups[0] - start);
      // No empty match is taken before an invalid code unit.
      UChar32 character = 0;
      if (groups[0] == groups[1] && groups[0] < line.size() && (afterCharacter(line, groups[0], character), true) &&
          (character < 0 || U_IS_SURROGATE(character))) {
        start = emptyAt = groups[0];
        continue;
      }
      const bool kept = matches++ >= keptFrom;
      out += kept ? line.substr(groups[0], groups[1] - groups[0]) : expanded(pieces, line, groups);
      count += kept ? 0 : 1;
      emptyAt = groups[0] == groups[1] ? groups[1] : std::string::npos;
      start = groups[1];
    }
    const std::size_t end = cr + (cr + 1 < text.size() && text[cr + 1] == Unit('\n') ? 2 : 1);
    out += text.substr(cr, std::min(end, text.size()) - cr);
    at = end;
  }
  return out;
}

// Random texts, patterns and templates, rewritten through small buffers and short reads, against
// the model. Texts are valid or invalid UTF-8 or UTF-16 of either byte order, with lone
// surrogates; case changes come only with valid text, where the model can make them.
TEST(PatternRewriter, AgreesWithTheWholeLineModelOnRandomTextsInEveryEncoding) {
  const std::vector<std::string> characters = {"a", "b", "ab", "n", "e", "d", "l", "x", " ", "_", "0", "7", "\r", "\n",
                                               "\r\n", "\xC3\x9F", "\xE2\x84\xAA", "\xC3\xA9", "e\xCC\x81",
                                               "\xF0\x90\x90\x80"};
  const std::vector<std::string> invalidBytes = {"\xFF", "\xC3", "\xE2\x82"};
  const std::vector<std::string> patterns = {"a", "ab|b", "a*", "x*", "(a)(b)?", "\\bab\\b", "(?<=a)b", "(?<!b)a+",
                                             "^a", "b$", "\\w+", "[^ ]+", "ne+dle[0-9]*", ".", "k", "\xC3\x9F", "\\s",
                                             "a(?=b)", "(a|ab)(c|bcd)?", "(?<=\\w\\w)x", "\\X", "(?i)AB"};
  std::mt19937 random(20261208);
  enum Form { Valid, Invalid, Utf16LE, Utf16BE };
  for (int round = 0; round < 1500; ++round) {
    const auto form = static_cast<Form>(random() % 4);
    std::string text;
    for (int i = 0, length = static_cast<int>(random() % 120); i < length; ++i)
      text += form == Invalid && random() % 6 == 0 ? invalidBytes[random() % invalidBytes.size()]
                                                   : characters[random() % characters.size()];
    std::u16string units;
    if (form >= Utf16LE) {
      units = fromUnicode<char16_t>(icu::UnicodeString::fromUTF8(text));
      if (random() % 3 == 0) units.insert(random() % (units.size() + 1), 1, random() % 2 ? u'\xD800' : u'\xDC00');
    }
    SearchTerms terms{patterns[random() % patterns.size()], "", random() % 2 ? CompareMode::Text : CompareMode::Binary,
                      true, random() % 5 == 0};
    PatternError error;
    const auto pattern = Pattern::compile(terms.find, terms.compare, terms.wholeWord, error);
    ASSERT_TRUE(pattern) << terms.find << ": " << error.described();
    const bool valid = form == Valid || (form >= Utf16LE && units.find_first_of(u"\xD800\xDC00") == std::u16string::npos);
    std::vector<Piece> pieces;
    for (int i = 0, length = static_cast<int>(random() % 4); i < length; ++i) {
      const auto kind = static_cast<Piece::Kind>(random() % (valid ? 6 : 2));
      pieces.push_back({kind, kind == Piece::Text ? std::string(1, "-<>"[random() % 3]) : "",
                        static_cast<std::uint32_t>(random() % (pattern->groupCount() + 1))});
    }
    terms.replace = templateText(pieces);

    std::int64_t count = 0, keptFrom = random() % 2 ? random() % 40 : INT64_MAX;
    OccurrenceChoice choice;
    choice.dropFrom(keptFrom);
    const std::string expected = form >= Utf16LE ? utf16File(modelRewrite(units, *pattern, pieces, keptFrom, count), form == Utf16BE)
                                                 : modelRewrite(text, *pattern, pieces, keptFrom, count);
    const bool small = random() % 2 == 0;
    const std::size_t capacity = small ? 1 + random() % 40 : 4096;
    const std::size_t chunk = small ? 1 + random() % 6 : 4096;
    const Rewritten actual =
        rewriteText(form >= Utf16LE ? utf16File(units, form == Utf16BE) : text, terms, chunk, capacity, {}, &choice);
    const std::string trace = "round " + std::to_string(round) + ": /" + terms.find + (terms.wholeWord ? "/w" : "/") +
                              " -> " + terms.replace + " reads of " + std::to_string(chunk) + " into " + std::to_string(capacity);
    if (actual.trouble == PatternTrouble::MatchTooLong && small) continue;  // a match may outgrow a small buffer
    ASSERT_EQ(actual.output, expected) << trace;
    ASSERT_EQ(actual.count, count) << trace;
  }
}


// What a user sees of the rules, each in 8-bit text and in UTF-16 of both byte orders: lines as
// subjects, Perl's empty matches, case folding as the literal search's, whole words, templates.
TEST(PatternRewriter, FollowsTheRulesOfPatternsInEveryEncoding) {
  const std::string kelvin = "\xE2\x84\xAA", sharpS = "\xC3\x9F", dottedI = "\xC4\xB0";
  struct Case { std::string text, find, replace; bool ignoreCase, wholeWord; std::string expected; } cases[] = {
      {"xxa\r\nab\r\n\r\n", "x*", "-", false, false, "--a-\r\n-a-b-\r\n-\r\n"},
      {"ab", "x*|a", "-", false, false, "---b-"},
      {"a\nb\rab\r\nb", "^..|b$", "-", false, false, "--\r-\r\n-"},  // . takes a lone LF
      {"ab\rcd", "(?<=b)c|b(?=\\r)", "-", false, false, "ab\rcd"},   // no look past a line end
      {"k K " + kelvin + " ss " + sharpS + " i I " + dottedI, "k|ss|i", "-", true, false,
       "- - - - " + sharpS + " - - " + dottedI},
      // Whole words through a pattern, then through the literal search, each plain term alone.
      {"foo-2 -2 na\xC3\xAFve na aaa aa cafe\xCC\x81 cafe ax-x-x", "-2|na|aa|cafe|x-x", "_", false, true,
       "foo-2 _ na\xC3\xAFve _ aaa _ cafe\xCC\x81 _ ax-_"},
      {"aaa aa", "aa", "_", false, true, "aaa _"},
      {"cafe\xCC\x81 cafe", "cafe", "_", false, true, "cafe\xCC\x81 _"},
      {"ax-x-x", "x-x", "_", false, true, "ax-_"},
      {"one two b", "(\\w)(?<rest>\\w*)|(x)", "\\u$1${rest}[$3]$$", false, false, "One[]$ Two[]$ B[]$"},
      {"stra" + sharpS + " OK", "(\\w+) (\\w+)", "\\U$1\\E \\L$2\\E\\t\\\\", false, false, "STRASS ok\t\\"},
      {"", "x*", "-", false, false, ""},
  };
  for (const Case& c : cases) {
    const SearchTerms terms{c.find, c.replace, c.ignoreCase ? CompareMode::Text : CompareMode::Binary, true, c.wholeWord};
    EXPECT_EQ(rewriteText(c.text, terms, 3, 64).output, c.expected) << c.find;
    const auto inUtf16 = [](const std::string& text) { return fromUnicode<char16_t>(icu::UnicodeString::fromUTF8(text)); };
    for (const bool bigEndian : {false, true})
      EXPECT_EQ(rewriteText(utf16File(inUtf16(c.text), bigEndian), terms, 3, 64).output,
                utf16File(inUtf16(c.expected), bigEndian)) << c.find;
  }
}

// Refused before any file is read, with the offset of the fault: the pattern's own errors, a
// carriage return named outright, \C, and a template's unknown groups and escapes.
TEST(PatternRewriter, RefusesAPatternOrTemplateItCannotUseWithTheOffsetOfTheFault) {
  struct Case { std::string find, replace; std::optional<std::pair<bool, std::size_t>> inTemplateAt; } cases[] = {
      {"(abc", "", {{false, 4}}},  {"ab\\r", "", {{false, 2}}}, {"a\\x0d", "", {{false, 1}}},
      {"\\x{d}", "", {{false, 0}}}, {"\\015", "", {{false, 0}}}, {"x\\cM", "", {{false, 1}}},
      {"a\rb", "", {{false, 1}}},   {"\\Ca", "", {{false, 2}}},  {"[\\r\\n]|\\\\r", "", std::nullopt},
      {"(a)", "x$1-y", std::nullopt}, {"(a)", "$1x", {{true, 0}}}, {"(a)", "-$2", {{true, 1}}},
      {"(a)", "\\q", {{true, 0}}},  {"(?<n>a)", "${n}${m}", {{true, 4}}}, {"a", "$", {{true, 0}}},
  };
  for (const Case& c : cases) {
    const EncodedTerms terms(SearchTerms{c.find, c.replace, CompareMode::Binary, true, false});
    const auto& fault = terms.fault();
    ASSERT_EQ(fault.has_value(), c.inTemplateAt.has_value()) << c.find << " " << c.replace;
    if (fault) {
      EXPECT_EQ(std::pair(fault->inReplace, fault->error.offset), *c.inTemplateAt) << fault->error.described();
    }
  }
}

// A pattern that backtracks without end ends its stream long before the budget runs out, with
// the text as it was: as one that takes too many steps, or as one that matches nothing.
TEST(PatternRewriter, ARunawayPatternEndsItsStreamWithinItsBudget) {
  using Case = std::tuple<std::string, std::string, PatternTrouble>;
  for (const auto& [find, text, trouble] : {Case{"(a+)+$", std::string(30000, 'a') + "!", PatternTrouble::TooComplex},
                                            Case{"\\s*\\s*x", std::string(100000, ' '), PatternTrouble::None}}) {
    const auto started = std::chrono::steady_clock::now();
    const Rewritten rewritten = rewriteText(text, SearchTerms{find, "-", CompareMode::Binary, true, false}, 4096, 1 << 20);
    EXPECT_LT(std::chrono::steady_clock::now() - started, PatternRewriter::kDefaultBudget) << find;
    EXPECT_EQ(std::pair(rewritten.output, rewritten.trouble), std::pair(text, trouble)) << find;
  }
  // Over its budget, or asked to stop, a stream ends between two matches of one line.
  PatternError error;
  const auto pattern = Pattern::compile("a", CompareMode::Binary, false, error);
  const auto anything = *ReplacementTemplate::parse("b", *pattern, error);
  for (const auto& [budget, wanted, trouble] : {std::tuple(0, true, PatternTrouble::OverBudget),
                                                std::tuple(10000, false, PatternTrouble::None)}) {
    RewriteBuffers buffers;
    PatternRewriter rewriter(*pattern, anything, TextEncoding::Bytes, buffers, 1 << 20, std::chrono::milliseconds(budget));
    ChunkedSource source(std::string(100000, 'a'), 1 << 20);
    source.wanted = wanted;
    StringSink sink;
    EXPECT_FALSE(rewriter.run(source, sink));
    EXPECT_EQ(std::pair(rewriter.trouble(), rewriter.occurrences() < 100000), std::pair(trouble, true));
  }
}

}  // namespace
}  // namespace sorvane::testing
