#include "in_memory_rewrite.h"
#include "reference_replace.h"

#include <gtest/gtest.h>

#include <random>

namespace sorvane::testing {
namespace {

struct Case {
  const char* name;
  std::string text;
  std::string find;
  std::string replace;
  int compare;
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

INSTANTIATE_TEST_SUITE_P(
    Engine, KnownRewrites,
    ::testing::Values(
        Case{"no_overlap", "aaaa", "aa", "b", kBinaryCompare, "bb", 2},
        Case{"inserted_text_not_searched_again", "aaa", "a", "aa", kBinaryCompare, "aaaaaa", 3},
        Case{"binary_is_case_sensitive", "ABC abc", "abc", "x", kBinaryCompare, "ABC x", 1},
        Case{"text_ignores_case", "ABC abc", "abc", "x", kTextCompare, "x x", 2},
        Case{"text_folds_unicode", "\xC3\x84" "BC|\xC3\xA4" "bc", "\xC3\xA4" "bc", "-", kTextCompare, "-|-", 2},
        Case{"text_kelvin_and_long_s", "ma" + kKelvin + "e Ma" + kLongS + "k", "MAKE", "x", kTextCompare,
             "x Ma" + kLongS + "k", 1},
        Case{"text_long_s_matches_s", "u" + kLongS + "e", "USE", "x", kTextCompare, "x", 1},
        Case{"line_ends_kept_as_they_are", "ab\r\nab\rab\nab", "ab", "X", kBinaryCompare, "X\r\nX\rX\nX", 4},
        Case{"no_line_end_added", "x", "x", "y", kBinaryCompare, "y", 1},
        Case{"empty_text", "", "x", "y", kBinaryCompare, "", 0},
        Case{"empty_term_finds_nothing", "abc\r\n", "", "y", kBinaryCompare, "abc\r\n", 0},
        Case{"term_with_cr_finds_nothing", "a\r\nb", "a\r", "y", kBinaryCompare, "a\r\nb", 0},
        Case{"crlf_pair_is_not_text", "a\r\nb", "\nb", "y", kBinaryCompare, "a\r\nb", 0},
        Case{"lone_lf_is_text", "a\nb\r\n\nb", "\nb", "Y", kBinaryCompare, "aY\r\nY", 2},
        Case{"lf_term_in_text_mode", "a\r\nB\n\nb", "\nB", "Y", kTextCompare, "a\r\nB\nY", 1},
        Case{"nul_and_binary_bytes_kept", std::string("\0\xFF\x80x\0", 5), "x", "yy", kBinaryCompare,
             std::string("\0\xFF\x80yy\0", 6), 1},
        Case{"invalid_bytes_match_themselves", "\xFF\xFE|\xC3\xBF", "\xFF", "#", kTextCompare, "#\xFE|\xC3\xBF", 1},
        Case{"stray_continuation_not_inside_a_character", "\xC3\xA4|\xA4", "\xA4", "#", kTextCompare,
             "\xC3\xA4|#", 1},
        Case{"truncated_sequence_at_end", "ab\xE2\x84", "\xE2", "#", kTextCompare, "ab#\x84", 1},
        Case{"long_replacement", "a-a", "a", std::string(3000, 'z'), kBinaryCompare,
             std::string(3000, 'z') + "-" + std::string(3000, 'z'), 2}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// Random texts built from the characters that matter at boundaries, checked against the
// plain model with random read sizes.
TEST(StreamRewriter, AgreesWithReferenceModelOnRandomTexts) {
  const std::vector<std::string> alphabet = {"a", "A", "b", "\r", "\n", "\r\n", "\xC3\xA4", "\xC3\x84", kKelvin,
                                             "k", "\xFF", "\xA4", "\xC3", std::string(1, '\0')};
  const std::vector<std::string> terms = {"a",  "ab",           "aA",   "\n",   "\na", "k",
                                          "\xC3\xA4" "a", "\xA4", "\xC3", "bab", "abab", "aAbA"};
  std::mt19937 random(20261206);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const int length = static_cast<int>(random() % 200);
    for (int i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
    const std::string& find = terms[random() % terms.size()];
    const bool ignoreCase = random() % 2 == 0;
    // Small reads and buffers cross every boundary; large ones reach the vector loops.
    const bool small = random() % 2 == 0;
    const std::size_t chunk = small ? 1 + random() % 7 : 4096;
    const std::size_t capacity = small ? 1 + random() % 16 : 4096;

    const ReferenceResult expected = referenceReplace(text, find, "<>", ignoreCase);
    const Rewritten actual = rewriteText(text, find, "<>", ignoreCase ? kTextCompare : kBinaryCompare, chunk, capacity);
    ASSERT_EQ(actual.output, expected.output) << "round " << round;
    ASSERT_EQ(actual.count, expected.count) << "round " << round;
  }
}

TEST(StreamRewriter, LongLineDoesNotGrowTheBuffer) {
  // A line far longer than the buffer still streams, with an occurrence across every chunk end.
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "xyneedlez";
  const Rewritten result = rewriteText(text, "needle", "N", kBinaryCompare, 4096, 64);
  EXPECT_EQ(result.count, 20000);
  EXPECT_EQ(result.output.size(), text.size() - 20000 * 5);
}

TEST(ContainsTerm, FollowsTheRecentTermRule) {
  EXPECT_TRUE(containsTerm("foobar", "foo", kBinaryCompare));
  EXPECT_FALSE(containsTerm("foobar", "FOO", kBinaryCompare));
  EXPECT_TRUE(containsTerm("foobar", "FOO", kTextCompare));
  EXPECT_TRUE(containsTerm("x", "", kBinaryCompare));
  EXPECT_FALSE(containsTerm("", "", kBinaryCompare));
}

}  // namespace
}  // namespace sorvane::testing
