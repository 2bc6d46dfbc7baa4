#include "viewer/viewer_text.h"
#include "viewer/windows_1252.h"
#include "vocabulary/vocabulary.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unicode/ucnv.h>
#include <utility>
#include <vector>

namespace sorvane::testing {
namespace {

using viewer::ReadPacing;
using viewer::readViewerText;

constexpr std::chrono::hours kNever{1};
const std::string kUtf8Window(64 * 1024 - 1, 'a');  // all but the last byte of what tells UTF-8 apart

ReadPacing chunksOf(std::size_t size, std::chrono::nanoseconds interval = kNever) { return {size, interval}; }

// Gathers the text a read hands on.
struct Gathered final : viewer::ViewerTextSink {
  QString text;
  void start(qsizetype) override {}
  void append(QStringView piece) override { text += piece; }
};

std::size_t openDescriptors() {
  const std::filesystem::directory_iterator fds("/proc/self/fd");
  return static_cast<std::size_t>(std::distance(fds, std::filesystem::directory_iterator()));
}

// Every line ends in CR LF whatever it ended in, in every encoding, wherever a chunk ends.
TEST(ViewerText, EveryEncodingIsDecodedIntoCrLfEndedLinesWhereverAChunkEnds) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", ""},
      {"one line, no end", "one line, no end\r\n"},
      {"a\r\nb", "a\r\nb\r\n"},
      {"a\r\nb\r\n", "a\r\nb\r\n"},
      {"cr\ronly\r", "cr\r\nonly\r\n"},
      {"lf\nonly\n", "lf\nonly\n\r\n"},  // a lone LF is part of the line
      {"\r\n\r\n", "\r\n\r\n"},
      {"\r\r\n\n\r", "\r\n\r\n\n\r\n"},
      {"\n", "\n\r\n"},
      // Line ends are code units: 0D 01 is the letter U+010D, 0A 0D the letter U+0D0A.
      {std::string("\xFF\xFE" "a\0\r\0\n\0\x0D\x01\r\0\x0A\x0D", 14), "a\r\n\u010D\r\n\u0D0A\r\n"},
      {std::string("\xFE\xFF\0a\x0D\x0A\0\r\xD8\x01\xDC\x37", 12), "a\u0D0A\r\n\U00010437\r\n"},
      // A lone surrogate and a last odd byte are no characters.
      {std::string("\xFF\xFE\x00\xD8" "a\0\x01", 7), "\uFFFDa\uFFFD\r\n"},
      {"\xFF\xFE", ""},
      {"\xEF\xBB\xBF" "caf\xC3\xA9", "caf\u00E9\r\n"},
      {"caf\xC3\xA9\r\n", "caf\u00E9\r\n"},
      {"caf\xE9 \x80 \x93q\x94\rx", "caf\u00E9 \u20AC \u201Cq\u201D\r\nx\r\n"},  // Windows-1252
      {"\xFF", "\u00FF\r\n"},
      // Only the start of a file tells UTF-8 from Windows-1252: reading it all would delay the viewer.
      {kUtf8Window + "\xC3\xA9", kUtf8Window + "\u00E9\r\n"},  // a character across the edge
      {kUtf8Window + "a\xE9", kUtf8Window + "a\uFFFD\r\n"},     // past the edge
      {kUtf8Window + "\xE9", kUtf8Window + "\u00E9\r\n"},
      // Bytes that form no character past it, each one U+FFFD, wherever the chunks cut them.
      {kUtf8Window + "\xC3\xA9 x\xE2\x82y\xF0\x9F\x98\x80 \x80\xE2\x82",
       kUtf8Window + "\u00E9 x\uFFFD\uFFFDy\U0001F600 \uFFFD\uFFFD\uFFFD\r\n"},
      {"abc\xC3", "abc\u00C3\r\n"},  // cut short by the end of the file
  };
  TempFolder folder;
  for (const auto& [content, shown] : cases) {
    writeFile(folder / "f.txt", content);
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{1} << 20}) {
      Gathered read;
      ASSERT_FALSE(readViewerText(folder / "f.txt", read, {}, chunksOf(chunk)));
      EXPECT_EQ(read.text.toStdString(), shown) << "chunks of " << chunk << " reading [" << content.substr(0, 40) << "]";
    }
  }
}

TEST(ViewerText, Windows1252AgreesWithIcu) {
  UErrorCode status = U_ZERO_ERROR;
  UConverter* converter = ucnv_open("windows-1252", &status);
  ASSERT_TRUE(U_SUCCESS(status));
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    const char in = static_cast<char>(byte);
    UChar out[4] = {};
    status = U_ZERO_ERROR;
    const int32_t length = ucnv_toUChars(converter, out, 4, &in, 1, &status);
    if (length != 1 || out[0] == 0xFFFD || out[0] == 0x1A) continue;  // unassigned in ICU's table
    EXPECT_EQ(viewer::fromWindows1252(std::string_view(&in, 1)), QString(QChar(out[0]))) << byte;
  }
  ucnv_close(converter);
}

// Each chunk's text is handed on before the window gets its events.
TEST(ViewerText, HandsOnEachChunksTextAndYieldsByTimeNotByChunk) {
  TempFolder folder;
  writeFile(folder / "f.txt", "\xEF\xBB\xBF" + std::string(97, 'x'));
  Gathered read;
  std::vector<qsizetype> handedOn;
  const auto note = [&] { handedOn.push_back(read.text.size()); };
  readViewerText(folder / "f.txt", read, note, chunksOf(10, kNever));
  EXPECT_TRUE(handedOn.empty());
  read.text.clear();
  readViewerText(folder / "f.txt", read, note, chunksOf(10, std::chrono::nanoseconds(0)));
  EXPECT_EQ(handedOn, (std::vector<qsizetype>{7, 17, 27, 37, 47, 57, 67, 77, 87, 97}));
}

TEST(ViewerText, FilesThatCannotBeReadReportWhyAndLeaveNothingOpen) {
  TempFolder folder;
  std::filesystem::create_directory(folder / "sub");
  ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);  // must be refused, not waited on
  writeFile(folder / "ok.txt", "text");
  writeFile(folder / "utf32.txt", std::string("\xFF\xFE\0\0", 4));  // not text
  writeFile(folder / "utf32be.txt", std::string("\0\0\xFE\xFF\0\0\0a", 8));
  const std::size_t before = openDescriptors();

  const std::vector<std::pair<std::string, int>> cases = {{folder / "gone.txt", 53},
                                                          {folder / "nofolder/x.txt", 76},
                                                          {folder / "sub", 75},
                                                          {folder / "pipe", 68},
                                                          {folder / "utf32.txt", 75},
                                                          {folder / "utf32be.txt", 75}};
  for (const auto& [path, number] : cases) {
    Gathered read;
    const auto failure = readViewerText(path, read, {});
    ASSERT_TRUE(failure) << path;
    EXPECT_EQ(failure->number, number) << path;
    EXPECT_EQ(failure->source, kApplicationTitle);
    EXPECT_TRUE(read.text.isEmpty());
  }
  Gathered read;
  EXPECT_EQ(readViewerText(folder / "gone.txt", read, {})->description, "File not found");
  EXPECT_FALSE(readViewerText(folder / "ok.txt", read, {}));
  EXPECT_EQ(openDescriptors(), before);
}

}  // namespace
}  // namespace sorvane::testing
