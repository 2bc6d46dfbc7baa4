#include "engine/files/file_rewrite.h"
#include "engine/files/yielder.h"
#include "engine/preview/file_preview.h"
#include "system_calls.h"
#include "temp_folder.h"
#include "utf16_file.h"

#include <gtest/gtest.h>

#include <numeric>

namespace sorvane::testing {
namespace {

// Gathers a preview's lines; declines the first one when asked to.
struct Gathered final : PreviewLineSink {
  std::vector<PreviewLine> lines;
  bool decline = false;
  bool line(PreviewLine&& line) override {
    lines.push_back(std::move(line));
    return !decline;
  }
};

// "N: text" per piece ("N-M" spanning lines, "N+" continued), each occurrence [found>replacement].
std::string rendered(const std::vector<PreviewLine>& lines) {
  std::string out;
  for (const PreviewLine& line : lines) {
    out += std::to_string(line.number);
    if (line.lastNumber != line.number) out += "-" + std::to_string(line.lastNumber);
    out += line.continued ? "+: " : ": ";
    for (const PreviewSegment& piece : line.segments)
      out += piece.occurrence ? "[" + piece.text + ">" + piece.replacement + "]" : piece.text;
    out += "\n";
  }
  return out;
}

std::string repeated(const std::string& text, std::size_t times) {
  std::string out;
  while (times-- > 0) out += text;
  return out;
}

class FilePreviewTest : public ::testing::Test {
 protected:
  Result<FilePreview> preview(const std::string& find, const std::string& replace, CompareMode compare,
                              std::size_t capacity, Gathered& lines, bool pattern = false) {
    EncodedTerms terms(SearchTerms{find, replace, compare, pattern});
    return previewFile(FileToRewrite::named(folder / "f.txt"), terms, lines, yielder, buffers, capacity);
  }

  TempFolder folder;
  RewriteBuffers buffers;  // one for every file, as a search keeps it
  Yielder yielder{[] { return true; }};
};

// Lines numbered at every line end, shown decoded, cut around occurrences between characters.
TEST_F(FilePreviewTest, NumbersLinesAtEveryLineEndAndCutsThemAroundTheirOccurrences) {
  const std::string cut = "\xE2\x80\xA6";
  const std::string y = "[x>Y]";
  struct Case {
    const char* name;
    std::string bytes;
    std::string shown;
    std::string find = "x";
    std::string replace = "Y";
    bool pattern = false;
  };
  const std::vector<Case> cases = {
      {"crlf_cr_lf", "a x\r\nb\rx\nx c\r\n\r\nx", "1: a " + y + "\n3: " + y + "\n4: " + y + " c\n6: " + y + "\n"},
      {"occurrence_holding_lf", "a x\ny b\nc x\ny\nx\ny", "1-2: a [x\ny>Y] b\n3-4: c [x\ny>Y]\n5-6: [x\ny>Y]\n",
       "x\ny"},
      {"utf16le_units_holding_line_end_or_ascii_bytes", utf16File(u"\u0D0Ax\r\n\u010Dx\u4E2D", false),
       "1: \u0D0A" + y + "\n2: \u010D" + y + "\u4E2D\n"},
      {"utf16be_pair_and_odd_last_byte", utf16File(u"\U0001F600x", true) + "\x01", "1: \U0001F600" + y + "\\x01\n"},
      {"utf8_mark_controls_and_invalid_bytes", "\xEF\xBB\xBF\x01\tx\xFF\x7Fx0123456789abcde\x7F",
       "1: \\x01\t" + y + "\\xFF\\x7F" + y + "0123456789abcde\\x7F\n"},
      {"windows_1252", "caf\xE9 x", "1: caf\u00E9 " + y + "\n"},
      {"replacement_line_ends_shown_as_lf", "x", "1: [x>1\n2\n3]\n", "x", "1\r\n2\r3"},
      {"each_match_with_its_own_replacement", utf16File(u"ab\r\nb", true), "1: [ab>BA]\n2: [b>B]\n", "(a?)(b)",
       "\\U$2$1", true},
      {"context_cut", std::string(130, 'a') + "x" + std::string(300, 'b') + "x" + std::string(240, 'c') + "xd",
       "1: " + cut + std::string(120, 'a') + y + std::string(120, 'b') + cut + std::string(120, 'b') + y +
           std::string(240, 'c') + y + "d\n"},
      {"context_cut_between_characters", "\xEF\xBB\xBF" + repeated("\u00E9", 600) + "x" + repeated("\u20AC", 600),
       "1: " + cut + repeated("\u00E9", 120) + y + repeated("\u20AC", 120) + cut + "\n"},
      // A megabyte of zeros in a hole of its own, between two blocks of data.
      {"hole", std::string(4095, 'a') + "x" + std::string(1 << 20, '\0') + "x\r\n",
       "1: " + cut + std::string(120, 'a') + y + repeated("\\x00", 120) + cut + repeated("\\x00", 120) + y + "\n"},
      {"most_occurrences_per_piece", repeated("x,", 33),
       "1: " + repeated(y + ",", 31) + y + "," + cut + "\n1+: " + cut + "," + y + ",\n"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(writeSparse(folder / "f.txt", c.bytes, 64 * 1024));
    for (const std::size_t capacity : {std::size_t{1}, StreamRewriter::kDefaultCapacity}) {
      Gathered lines;
      ASSERT_TRUE(preview(c.find, c.replace, CompareMode::Binary, capacity, lines, c.pattern).ok()) << c.name;
      EXPECT_EQ(rendered(lines.lines), c.shown) << c.name << ", buffer of " << capacity;
    }
  }
}

// A preview counts what a dry run counts, in every encoding, each occurrence once and in order.
TEST_F(FilePreviewTest, CountsEveryOccurrenceADryRunCountsInEveryEncoding) {
  const std::string text = repeated("Needle needle\r\nneedle\rno\nneeDle", 3) + repeated("needle,", 70) + "\r\nNEEDLE";
  const std::u16string units = u"\U0001F600Needle needle\r\nneedle\rno\n\u0D0Aneedle needle\u010D";
  for (const std::string& bytes : {text, "\xEF\xBB\xBF" + text, utf16File(units, false), utf16File(units, true)}) {
    ASSERT_TRUE(writeSparse(folder / "f.txt", bytes, 64 * 1024));
    EncodedTerms terms(SearchTerms{"needle", "", CompareMode::Text});
    RewriteBuffers buffers;
    const Result<PreparedRewrite> dryRun = prepareRewrite(FileToRewrite::named(folder / "f.txt"),
                                                          RewriteJob{terms, true, 1, {}, {}, nullptr}, yielder, buffers);
    Gathered lines;
    const Result<FilePreview> previewed = preview("needle", "", CompareMode::Text, 1, lines);
    ASSERT_TRUE(previewed.ok() && dryRun.ok());
    EXPECT_GT(dryRun.value().replacements(), 0);
    EXPECT_EQ(previewed.value().occurrences, dryRun.value().replacements());
    std::vector<std::int64_t> indexes;
    for (const PreviewLine& line : lines.lines)
      for (const PreviewSegment& piece : line.segments)
        if (piece.occurrence) indexes.push_back(piece.index);
    std::vector<std::int64_t> inRunOrder(static_cast<std::size_t>(dryRun.value().replacements()));
    std::iota(inRunOrder.begin(), inRunOrder.end(), 0);
    EXPECT_EQ(indexes, inRunOrder);

    Gathered declining;
    declining.decline = true;
    EXPECT_TRUE(preview("needle", "", CompareMode::Text, 1, declining).stopped());
    EXPECT_EQ(declining.lines.size(), 1u);
  }
}

}  // namespace
}  // namespace sorvane::testing
