#include "viewer/viewer_text.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace sorvane::testing {
namespace {

using viewer::ReadPacing;
using viewer::readViewerText;

constexpr std::chrono::hours kNever{1};

ReadPacing chunksOf(std::size_t size, std::chrono::nanoseconds interval = kNever) { return {size, interval}; }

std::size_t openDescriptors() {
  const std::filesystem::directory_iterator fds("/proc/self/fd");
  return static_cast<std::size_t>(std::distance(fds, std::filesystem::directory_iterator()));
}

TEST(ViewerText, EveryLineEndsInCrLfWhateverItEndedInAndWhereverAChunkEnds) {
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
  };
  TempFolder folder;
  for (const auto& [content, shown] : cases) {
    writeFile(folder / "f.txt", content);
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{1} << 20}) {
      const auto read = readViewerText(folder / "f.txt", {}, chunksOf(chunk));
      ASSERT_FALSE(read.failure);
      EXPECT_EQ(read.text.toStdString(), shown) << "chunks of " << chunk << " reading [" << content << "]";
    }
  }
}

TEST(ViewerText, BytesThatAreNotUtf8ShowAsReplacementCharacters) {
  TempFolder folder;
  // A two-byte character split across chunks, a byte that is never UTF-8, a stray
  // continuation byte, and a sequence cut short by the line end.
  writeFile(folder / "f.txt", "caf\xC3\xA9 \xFF\x80 x\xC3\rend");
  const auto read = readViewerText(folder / "f.txt", {}, chunksOf(4));
  ASSERT_FALSE(read.failure);
  EXPECT_EQ(read.text, QString::fromUtf8("café \uFFFD\uFFFD x\uFFFD\r\nend\r\n"));
}

TEST(ViewerText, YieldsByTimeNotByChunk) {
  TempFolder folder;
  writeFile(folder / "f.txt", std::string(100, 'x'));
  int yields = 0;
  const auto count = [&] { ++yields; };
  readViewerText(folder / "f.txt", count, chunksOf(10, kNever));
  EXPECT_EQ(yields, 0);
  readViewerText(folder / "f.txt", count, chunksOf(10, std::chrono::nanoseconds(0)));
  EXPECT_EQ(yields, 10);
}

TEST(ViewerText, FilesThatCannotBeReadReportWhyAndLeaveNothingOpen) {
  TempFolder folder;
  std::filesystem::create_directory(folder / "sub");
  ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);  // must be refused, not waited on
  writeFile(folder / "ok.txt", "text");
  const std::size_t before = openDescriptors();

  const std::vector<std::pair<std::string, int>> cases = {
      {folder / "gone.txt", 53}, {folder / "nofolder/x.txt", 76}, {folder / "sub", 75}, {folder / "pipe", 68}};
  for (const auto& [path, number] : cases) {
    const auto read = readViewerText(path, {});
    ASSERT_TRUE(read.failure) << path;
    EXPECT_EQ(read.failure->number, number) << path;
    EXPECT_EQ(read.failure->source, "Sorvane");
    EXPECT_TRUE(read.text.isEmpty());
  }
  EXPECT_EQ(readViewerText(folder / "gone.txt", {}).failure->description, "File not found");
  EXPECT_FALSE(readViewerText(folder / "ok.txt", {}).failure);
  EXPECT_EQ(openDescriptors(), before);
}

}  // namespace
}  // namespace sorvane::testing
