#include "journal/manifest.h"

#include <gtest/gtest.h>

namespace sorvane::testing {
namespace {

using journal::FileRecord;
using journal::RunRecord;

std::string everyByte() {
  std::string bytes;
  for (int byte = 0; byte < 256; ++byte) bytes += static_cast<char>(byte);
  return bytes;
}

// Terms and paths of any bytes, the empty text among them, read back as they were written; a run
// that has ended holds only the files that took their place.
TEST(Manifest, EveryFieldRoundTripsAndAnEndedRunHoldsOnlyPlacedFiles) {
  for (const std::string& text : {std::string(), everyByte(), std::string("%"), std::string(" a  b ")}) {
    RunRecord run;
    run.started = {1700000000, 5};
    run.frontEnd = "cli";
    run.find = text.empty() ? "x" : text;
    run.replace = text;
    FileRecord placed;
    placed.index = 1;
    // Every byte a name may hold: all but NUL and the slash.
    placed.path = "/d/" + everyByte().substr(1);
    placed.path.erase(placed.path.find('/', 3), 1);
    placed.kept = journal::Kept::Link;
    FileRecord retried = placed;
    retried.index = 2;
    const std::string manifest = journal::headerLines(run) + journal::fileLine(placed) + journal::fileLine(retried) +
                                 journal::placedLine(2, {1700000001, 7}) + journal::endLine(3, 1) +
                                 journal::restoredLine(2, {1700000003, 9}) + journal::triedLine({1700000002, 0});
    const auto read = journal::parseManifest(manifest);
    ASSERT_TRUE(read) << manifest;
    EXPECT_EQ(read->find, run.find);
    EXPECT_EQ(read->replace, text);
    ASSERT_EQ(read->files.size(), 1u) << "the attempt that never took its place is not the run's";
    EXPECT_EQ(read->files[0].index, 2);
    EXPECT_EQ(read->files[0].path, placed.path);
    EXPECT_EQ(read->files[0].placedChange->tv_nsec, 7);
    EXPECT_EQ(read->files[0].restored->tv_nsec, 9);
    EXPECT_EQ(read->undoAttempts, 1);
    // Cut off before its end, a run keeps every record: undo tells which took their place.
    EXPECT_EQ(journal::parseManifest(manifest.substr(0, manifest.find("end ")))->files.size(), 2u);
  }
}

}  // namespace
}  // namespace sorvane::testing
