#include "viewer/viewer_text.h"
#include "vocabulary/vocabulary.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <QString>
#include <filesystem>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace sorvane::testing {
namespace {

using viewer::ReadPacing;
using viewer::readViewerText;

constexpr std::chrono::hours kNever{1};

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

// The viewer's text: every line, the last one included, ends in CR LF whatever it ended in,
// and each unit that forms no character is one U+FFFD.
TEST(ViewerText, ReadsEachLineEndingInCrLfChunkByChunkOrSaysWhyTheFileCannotBeRead) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", ""}, {"a\r\nb", "a\r\nb\r\n"}, {"a\r", "a\r\n"}, {std::string("\xFF\xFE\x00\xD8", 4), "\uFFFD\r\n"}};
  TempFolder folder;
  for (const auto& [content, shown] : cases) {
    writeFile(folder / "f.txt", content);
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{1} << 20}) {
      Gathered read;
      ASSERT_FALSE(readViewerText(folder / "f.txt", read, {}, ReadPacing{chunk, kNever}));
      EXPECT_EQ(read.text.toStdString(), shown) << "chunks of " << chunk << " reading [" << content << "]";
    }
  }

  // Each chunk's text is handed on before the window gets its events, which come by time.
  writeFile(folder / "f.txt", "\xEF\xBB\xBF" + std::string(97, 'x'));
  Gathered read;
  std::vector<qsizetype> handedOn;
  const auto note = [&] { handedOn.push_back(read.text.size()); };
  readViewerText(folder / "f.txt", read, note, ReadPacing{10, kNever});
  EXPECT_TRUE(handedOn.empty());
  read.text.clear();
  readViewerText(folder / "f.txt", read, note, ReadPacing{10, std::chrono::nanoseconds(0)});
  EXPECT_EQ(handedOn, (std::vector<qsizetype>{7, 17, 27, 37, 47, 57, 67, 77, 87, 97}));

  // Files that cannot be read report why and leave nothing open.
  std::filesystem::create_directory(folder / "sub");
  ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);  // must be refused, not waited on
  writeFile(folder / "ok.txt", "text");
  writeFile(folder / "utf32.txt", std::string("\xFF\xFE\0\0", 4));  // not text
  writeFile(folder / "utf32be.txt", std::string("\0\0\xFE\xFF\0\0\0a", 8));
  const std::size_t before = openDescriptors();

  for (const auto& [name, number] : std::vector<std::pair<std::string, int>>{
           {"gone.txt", 53}, {"nofolder/x.txt", 76}, {"sub", 75}, {"pipe", 68}, {"utf32.txt", 75}, {"utf32be.txt", 75}}) {
    read.text.clear();
    const auto failure = readViewerText(folder / name, read, {});
    ASSERT_TRUE(failure) << name;
    EXPECT_EQ(std::tuple(failure->number, failure->source, read.text), std::tuple(number, std::string(kApplicationTitle), QString()))
        << name;
  }
  EXPECT_FALSE(readViewerText(folder / "ok.txt", read, {}));
  EXPECT_EQ(openDescriptors(), before);
}

}  // namespace
}  // namespace sorvane::testing
