#include "in_memory_rewrite.h"
#include "reference_replace.h"
#include "utf16_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <unicode/ustring.h>

namespace sorvane::testing {
namespace {

struct Case {
  const char* name;
  std::string text;
  std::string find;
  std::string replace;
  CompareMode compare;
  std::string expected;
  std::int64_t count;
};

std::ostream& operator<<(std::ostream& out, const Case& c) { return out << c.name; }

class KnownRewrites : public ::testing::TestWithParam<Case> {};

// Every case runs with one-byte reads and with whole-text reads, so each chunk boundary is crossed.
TEST_P(KnownRewrites, GiveExpectedBytesAndCountWhateverTheChunking) {
  const Case& c = GetParam();
  for (const std::size_t chunk : {std::size_t{1}, std::size_t{2}, std::size_t{5}, std::size_t{1} << 20}) {
    const Rewritten result = rewriteText(c.text, c.find, c.replace, c.compare, chunk);
    EXPECT_EQ(result.output, c.expected) << "chunk " << chunk;
    EXPECT_EQ(result.count, c.count) << "chunk " << chunk;
  }
}

const std::string kKelvin = "\xE2\x84\xAA";  // KELVIN SIGN folds to k
const std::string kLongS = "\xC5\xBF";       // LATIN SMALL LETTER LONG S folds to s

std::string le(std::u16string_view units) { return utf16File(units, false); }
std::string be(std::u16string_view units) { return utf16File(units, true); }

INSTANTIATE_TEST_SUITE_P(
    Engine, KnownRewrites,
    ::testing::Values(
        Case{"no_overlap", "aaaa", "aa", "b", CompareMode::Binary, "bb", 2},
        Case{"inserted_text_not_searched_again", "aaa", "a", "aa", CompareMode::Binary, "aaaaaa", 3},
        Case{"text_kelvin_and_long_s", "ma" + kKelvin + "e Ma" + kLongS + "k", "MAKE", "x", CompareMode::Text,
             "x Ma" + kLongS + "k", 1},
        Case{"text_long_s_matches_s", "u" + kLongS + "e", "USE", "x", CompareMode::Text, "x", 1},
        Case{"line_ends_kept_as_they_are", "ab\r\nab\rab\nab", "ab", "X", CompareMode::Binary, "X\r\nX\rX\nX", 4},
        Case{"no_line_end_added", "x", "x", "y", CompareMode::Binary, "y", 1},
        Case{"empty_text", "", "x", "y", CompareMode::Binary, "", 0},
        Case{"empty_term_finds_nothing", "abc\r\n", "", "y", CompareMode::Binary, "abc\r\n", 0},
        Case{"lf_term_in_text_mode", "a\r\nB\n\nb", "\nB", "Y", CompareMode::Text, "a\r\nB\nY", 1},
        Case{"nul_and_binary_bytes_kept", std::string("\0\xFF\x80x\0", 5), "x", "yy", CompareMode::Binary,
             std::string("\0\xFF\x80yy\0", 6), 1},
        Case{"invalid_bytes_match_themselves", "x\xFF\xFE|\xC3\xBF", "\xFF", "#", CompareMode::Text, "x#\xFE|\xC3\xBF", 1},
        Case{"truncated_sequence_at_end", "ab\xE2\x84", "\xE2", "#", CompareMode::Text, "ab#\x84", 1},
        Case{"long_replacement", "a-a", "a", std::string(3000, 'z'), CompareMode::Binary,
             std::string(3000, 'z') + "-" + std::string(3000, 'z'), 2},
        Case{"utf8_mark_kept_and_never_matched", "\xEF\xBB\xBF" "ab\xEF\xBB\xBF", "\xEF\xBB\xBF", "#",
             CompareMode::Binary, "\xEF\xBB\xBF" "ab#", 1},
        Case{"utf8_mark_then_term_at_start", "\xEF\xBB\xBF" "Ab", "ab", "x", CompareMode::Text, "\xEF\xBB\xBF" "x", 1},
        Case{"utf16_mark_never_matched", le(u"\uFEFF"), "\xEF\xBB\xBF", "x", CompareMode::Binary, le(u"x"), 1},
        Case{"utf16le_replacement_in_utf16", le(u"hello\r\n"), "h", "xy", CompareMode::Binary, le(u"xyello\r\n"), 1},
        Case{"utf16be_ignores_case", be(u"Hello H\u00C9LLO"), "h\xC3\xA9llo", "bye", CompareMode::Text,
             be(u"Hello bye"), 1},
        Case{"utf16_misaligned_bytes_never_match", le(u"x\u6100\u4200"), "a", "#", CompareMode::Text,
             le(u"x\u6100\u4200"), 0},
        Case{"utf16_lone_surrogates_and_odd_byte_kept", le(u"\xD800" u"a\xDC00" u"a") + "\x01", "A", "bb",
             CompareMode::Text, le(u"\xD800" u"bb\xDC00" u"bb") + "\x01", 2},
        Case{"utf16_lone_high_surrogate_is_no_character", le(u"a\xD800\xE000"), "a\xF0\x90\x90\x80", "#",
             CompareMode::Text, le(u"a\xD800\xE000"), 0},
        Case{"utf32_refused", std::string("\xFF\xFE\0\0a\0\0\0", 8), "a", "b", CompareMode::Binary,
             std::string("\xFF\xFE\0\0a\0\0\0", 8), 0}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// The UTF-16 bytes of a valid UTF-8 text, by a converter that is not the engine's.
std::string utf16Of(const std::string& utf8, bool bigEndian) {
  std::u16string units(utf8.size() + 1, u'\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8(reinterpret_cast<UChar*>(units.data()), static_cast<int32_t>(units.size()), &length, utf8.data(),
                static_cast<int32_t>(utf8.size()), &status);
  EXPECT_TRUE(U_SUCCESS(status));
  units.resize(static_cast<std::size_t>(length));
  return utf16File(units, bigEndian);
}

// Some of the runs of zero bytes in `text`, or parts of them, declared as holes.
Holes someZeroRunsAsHoles(const std::string& text, std::mt19937& random) {
  Holes holes;
  for (std::size_t at = text.find('\0'); at != std::string::npos; at = text.find('\0', at)) {
    const std::size_t end = std::min(text.find_first_not_of('\0', at), text.size());
    // From the first zero, often: the bytes before the hole may then begin an occurrence.
    const std::size_t from = random() % 2 == 0 ? at : at + random() % (end - at);
    // To the last zero, often: the bytes after the hole may then end an occurrence.
    if (random() % 2 == 0) holes.emplace_back(from, random() % 2 == 0 ? end : from + 1 + random() % (end - from));
    at = end;
  }
  return holes;
}

// Random texts built from the characters that matter at boundaries, checked against the plain
// model with random read sizes. Valid texts are also tried with a UTF-8 mark and as UTF-16: the
// model then runs on the UTF-8 text, and its result is converted. Runs of zeros are partly
// declared holes, which the rewriter may pass over unread. Most rounds replace only a random
// choice of the occurrences, dropped in no particular order.
TEST(StreamRewriter, AgreesWithReferenceModelOnRandomTextsInEveryEncoding) {
  // Among them letters whose UTF-16 bytes hold a CR or LF byte, and surrogate pairs.
  const std::vector<std::string> characters = {"a", "A", "b", "z", "Z", "\r", "\n", "\r\n", "\xC3\xA4", "\xC3\x84",
                                               kKelvin, "k", "\xC4\x8D", "\xE0\xB4\x80", "\xE0\xA8\x8D",
                                               "\xF0\x90\x90\x80", "\xF0\x90\x90\xA8", std::string(1, '\0'),
                                               std::string(40, '\0')};
  const std::vector<std::string> invalidBytes = {"\xFF", "\xA4", "\xC3"};
  const std::vector<std::string> terms = {"a",  "ab",           "aA",   "\n",   "\na", "k",   "z", "Z\xC3\xA4",
                                          "\xC3\xA4" "a", "\xA4", "\xC3", "bab", "abab", "aAbA",
                                          "\xC4\x8D",     "a\xF0\x90\x90\x80", "\xF0\x90\x90\xA8\r",
                                          std::string("a\0", 2), std::string("\0", 1), std::string("\0b", 2)};
  enum Form { Bytes, Utf8Mark, Utf16LE, Utf16BE };
  std::mt19937 random(20261206);
  int holesSkipped = 0;
  for (int round = 0; round < 4000; ++round) {
    const auto form = static_cast<Form>(random() % 4);
    std::string text;
    const int length = static_cast<int>(random() % 200);
    for (int i = 0; i < length; ++i) {
      if (form == Bytes && random() % 8 == 0) text += invalidBytes[random() % invalidBytes.size()];
      else text += characters[random() % characters.size()];
    }
    const std::string& find = terms[random() % terms.size()];
    const bool ignoreCase = random() % 2 == 0;
    // Small reads and buffers cross every boundary; large ones reach the vector loops.
    const bool small = random() % 2 == 0;
    const std::size_t chunk = small ? 1 + random() % 7 : 4096;
    const std::size_t capacity = small ? 1 + random() % 16 : 4096;

    const bool choosing = random() % 3 != 0;
    std::vector<std::int64_t> drops;
    const std::int64_t occurrences = referenceReplace(text, find, "<>", ignoreCase).count;
    for (std::int64_t index = 0; choosing && index < occurrences; ++index)
      if (random() % 2 == 0) drops.push_back(index);
    std::shuffle(drops.begin(), drops.end(), random);
    OccurrenceChoice choice;
    for (const std::int64_t index : drops) choice.drop(index);

    ReferenceResult expected = referenceReplace(text, find, "<>", ignoreCase, {drops.begin(), drops.end()});
    if (form == Utf8Mark) {
      text = "\xEF\xBB\xBF" + text;
      expected.output = "\xEF\xBB\xBF" + expected.output;
    } else if (form != Bytes) {
      // A term that is not valid UTF-8 cannot occur in UTF-16 text; FF FE 00 00 announces UTF-32.
      if (find == "\xA4" || find == "\xC3" || (form == Utf16LE && text.starts_with('\0'))) expected = {text, 0};
      const bool bigEndian = form == Utf16BE;
      text = utf16Of(text, bigEndian);
      expected.output = utf16Of(expected.output, bigEndian);
    }
    const CompareMode compare = ignoreCase ? CompareMode::Text : CompareMode::Binary;
    const Rewritten actual = rewriteText(text, find, "<>", compare, chunk, capacity, someZeroRunsAsHoles(text, random),
                                         choosing ? &choice : nullptr);
    ASSERT_EQ(actual.output, expected.output) << "round " << round;
    ASSERT_EQ(actual.count, expected.count) << "round " << round;
    holesSkipped += !actual.refused && actual.bytesRead < text.size();
  }
  EXPECT_GT(holesSkipped, 100);
}

TEST(StreamRewriter, LongLineDoesNotGrowTheBuffer) {
  // A line far longer than the buffer still streams, with an occurrence across every chunk end.
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "xyneedlez";
  const Rewritten result = rewriteText(text, "needle", "N", CompareMode::Binary, 4096, 64);
  EXPECT_EQ(result.count, 20000);
  EXPECT_EQ(result.output.size(), text.size() - 20000 * 5);
}

TEST(ContainsTerm, FollowsTheRecentTermRule) {
  EXPECT_TRUE(containsTerm("foobar", "foo", CompareMode::Binary));
  EXPECT_FALSE(containsTerm("foobar", "FOO", CompareMode::Binary));
  EXPECT_TRUE(containsTerm("foobar", "FOO", CompareMode::Text));
  EXPECT_TRUE(containsTerm("x", "", CompareMode::Binary));
  EXPECT_FALSE(containsTerm("", "", CompareMode::Binary));
}

}  // namespace
}  // namespace sorvane::testing
