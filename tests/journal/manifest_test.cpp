#include "journal/journal_texts.h"
#include "journal/manifest.h"

#include <gtest/gtest.h>

namespace sorvane::testing {
namespace {

using journal::FileRecord;

std::string everyByte() {
  std::string bytes;
  for (int byte = 0; byte < 256; ++byte) bytes += static_cast<char>(byte);
  return bytes;
}

// Terms and paths of any bytes, the empty text among them, read back as they were written; a run
// that has ended holds only the files that took their place, unless its journal's format predates
// the marks.
TEST(Manifest, EveryFieldRoundTripsAndAnEndedRunHoldsOnlyPlacedFiles) {
  // Every byte a name may hold: all but NUL and the slash.
  std::string path = "/d/" + everyByte().substr(1);
  path.erase(path.find('/', 3), 1);
  for (const std::string& text : {std::string(), everyByte(), std::string("%"), std::string(" a  b ")}) {
    const journal::RunRecord run{.started = {1700000000, 5}, .frontEnd = "cli", .find = text.empty() ? "x" : text,
                                 .replace = text, .pattern = text.size() % 2 == 0, .wholeWord = text.size() < 2};
    std::string manifest = journal::headerLines(run);
    for (const int index : {1, 2})
      manifest += journal::fileLine({.index = index, .path = path, .kept = journal::Kept::Link}) +
                  journal::asideLine(index, text);
    manifest += journal::temporaryLine(path + "/.t") + journal::placedLine(2, {1700000001, 7}) + journal::endLine(3, 1) +
                journal::restoredLine(2, {1700000003, 9}) + journal::triedLine({1700000002, 0});
    const auto read = journal::parseManifest(manifest);
    ASSERT_TRUE(read) << manifest;
    EXPECT_EQ(std::tuple(read->find, read->replace, read->undoAttempts, read->pattern, read->wholeWord),
              std::tuple(run.find, text, 1, run.pattern, run.wholeWord));
    if (text.empty()) EXPECT_EQ(journal::texts::runTitle(*read).substr(21), "/x/ \u2192 \"\" (whole words)");
    ASSERT_EQ(read->files.size(), 1u) << "the attempt that never took its place is not the run's";
    const FileRecord& file = read->files[0];
    EXPECT_EQ(std::tuple(file.index, file.path, file.placedChange.value_or(timespec{}).tv_nsec,
                         file.restored.value_or(timespec{}).tv_nsec, file.aside, read->cutOff),
              std::tuple(2, path, 7, 9, std::vector<std::string>{text}, false));
    EXPECT_EQ(read->temporaries, std::vector<std::string>{path + "/.t"});
    // Cut off before its end, a run keeps every record: undo tells which took their place.
    const auto cut = journal::parseManifest(manifest.substr(0, manifest.find("end ")));
    EXPECT_EQ(std::pair(cut->files.size(), cut->cutOff), std::pair(std::size_t{2}, true));
    // The first format marked no placing: every file of a run that ended in it took its place.
    const auto first = journal::parseManifest("sorvane-journal 1" + manifest.substr(manifest.find('\n')));
    EXPECT_EQ(first->files.size(), 2u);
  }
}

}  // namespace
}  // namespace sorvane::testing
