#include "in_memory_rewrite.h"
#include "reference_replace.h"
#include "utf16_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <unicode/unistr.h>

namespace sorvane::testing {
namespace {

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

// Random texts built from the characters that matter at boundaries, with random terms,
// replacements, read sizes and buffers, checked against the plain model. A text may start with a
// UTF-8 mark, or be UTF-16 of either byte order (converted by ICU, not the engine), with lone
// surrogates and an odd last byte; UTF-16 starting with a zero announces UTF-32. Runs of zeros
// are partly declared holes, which the rewriter may pass over unread.
TEST(StreamRewriter, AgreesWithReferenceModelOnRandomTextsInEveryEncoding) {
  // Among them letters that fold to ASCII (Kelvin, long s), letters whose UTF-16 bytes hold a CR
  // or LF byte or an "a" across two units, and surrogate pairs.
  const std::string kelvin = "\xE2\x84\xAA", longS = "\xC5\xBF";
  const std::vector<std::string> characters = {"a", "A", "b", "z", "Z", "s", "\r", "\n", "\r\n", "\xC3\xA4", "\xC3\x84",
                                               kelvin, "k", longS, "\xC4\x8D", "\xE0\xB4\x80", "\xE0\xA8\x8D",
                                               "\xE6\x84\x80", "\xF0\x90\x90\x80", "\xF0\x90\x90\xA8",
                                               std::string(1, '\0'), std::string(40, '\0')};
  const std::vector<std::string> invalidBytes = {"\xFF", "\xA4", "\xC3", "\xE2\x84"};
  const std::string nul(1, '\0');
  const std::vector<std::string> terms = {"a", "ab", "aA", "\n", "\na", "\nk", "k", "S", "z", "Z\xC3\xA4", "\xC3\xA4" "a",
                                          "\xA4", "\xC3", "\xFF", "bab", "abab", "aAbA", "\xC4\x8D", "a\xF0\x90\x90\x80",
                                          "\xF0\x90\x90\xA8\r", "\xEF\xBB\xBF", "", "a" + nul, nul, nul + "b", nul + "a",
                                          nul + nul + "A"};
  // One holding the term "a", one longer than the small buffers, one with no UTF-16 form.
  const std::vector<std::string> replacements = {"<>", "", "aa", std::string(40, 'z'), "\xE9"};
  // Lone surrogates; the high one also before a unit that would make it the term's U+10400.
  const std::vector<std::u16string> strayUnits = {u"\xD800", u"\xDC00", u"\xD800\xE000"};
  enum Form { Bytes, Utf8Mark, Utf16LE, Utf16BE };
  std::mt19937 random(20261206);
  int holesSkipped = 0;
  for (int round = 0; round < 4000; ++round) {
    const auto form = static_cast<Form>(random() % 4);
    std::string text = form == Utf8Mark ? "\xEF\xBB\xBF" : "";
    std::u16string units;
    for (int i = 0, length = static_cast<int>(random() % 200); i < length; ++i) {
      if (form >= Utf16LE && random() % 16 == 0) {
        units += strayUnits[random() % strayUnits.size()];
        continue;
      }
      if (form == Bytes && random() % 8 == 0) {
        text += invalidBytes[random() % invalidBytes.size()];
        continue;
      }
      const std::string& character = characters[random() % characters.size()];
      if (form < Utf16LE) {
        text += character;
        continue;
      }
      const icu::UnicodeString converted = icu::UnicodeString::fromUTF8(character);
      units.append(converted.getBuffer(), static_cast<std::size_t>(converted.length()));
    }
    if (form >= Utf16LE) {
      text = utf16File(units, form == Utf16BE);
      if (random() % 8 == 0) text += 'o';
    }
    const std::string& find = terms[random() % terms.size()];
    const std::string& replace = replacements[random() % replacements.size()];
    const bool ignoreCase = random() % 2 == 0;
    // Small reads and buffers cross every boundary; large ones reach the vector loops.
    const bool small = random() % 2 == 0;
    const std::size_t chunk = small ? 1 + random() % 7 : 4096;
    const std::size_t capacity = small ? 1 + random() % 16 : 4096;

    // Most rounds replace only a random choice of the occurrences, dropped in no particular order.
    const bool choosing = random() % 3 != 0;
    std::vector<std::int64_t> drops;
    const std::int64_t occurrences = referenceReplace(text, find, replace, ignoreCase).count;
    for (std::int64_t index = 0; choosing && index < occurrences; ++index)
      if (random() % 2 == 0) drops.push_back(index);
    std::shuffle(drops.begin(), drops.end(), random);
    OccurrenceChoice choice;
    for (const std::int64_t index : drops) choice.drop(index);
    // Some also drop every occurrence from one on, as a partly chosen file drops those not listed.
    if (choosing && occurrences > 0 && random() % 4 == 0) {
      const std::int64_t from = static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(occurrences));
      choice.dropFrom(from);
      for (std::int64_t index = from; index < occurrences; ++index) drops.push_back(index);
    }

    const ReferenceResult expected = referenceReplace(text, find, replace, ignoreCase, {drops.begin(), drops.end()});
    const Rewritten actual = rewriteText(text, find, replace, ignoreCase ? CompareMode::Text : CompareMode::Binary,
                                         chunk, capacity, someZeroRunsAsHoles(text, random), choosing ? &choice : nullptr);
    ASSERT_EQ(actual.output, expected.output) << "round " << round;
    ASSERT_EQ(actual.count, expected.count) << "round " << round;
    ASSERT_EQ(actual.refused, expected.refused) << "round " << round;
    holesSkipped += !actual.refused && actual.bytesRead < text.size();
  }
  EXPECT_GT(holesSkipped, 100);
}

}  // namespace
}  // namespace sorvane::testing
