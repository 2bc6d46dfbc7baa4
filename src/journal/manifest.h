#pragma once

#include "engine/files/undo_record.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A run's manifest: one line per record, appended as the run goes, fields separated by blanks,
// every byte that is not plain printable ASCII written as %XX and an empty text as a lone %, so
// paths and terms of any bytes fit on a line and read back as they were.
//
// The lines, after the format's name and the run's own line:
//   file N ...     the original of a file about to be replaced, kept as N in the run's folder;
//                  written again for a retried file, whose later attempt takes the record over
//   aside N NAME   a temporary name about to be given beside file N, by the run (its new content)
//                  or by undo (a copy of its original), so one left by a kill can be removed
//   temporary P    a temporary file about to be made under the absolute path P, before its
//                  file's record, where the file system has no unnamed files
//   placed N T     file N took its new content's place; T is its status-change time after that
//   end R F        the run ended with R replacements in F files
//   restored N T   undo gave file N its original back; T is its status-change time after that
//   tried T        an undo left some files for a reason that may pass; the next one tries them
//   undone T       the run was taken back
//   tidied T       what a run or undo cut off left beside the files was removed
namespace sorvane::journal {

inline constexpr std::string_view kManifestName = "manifest";

// How a rewritten file's original was kept in the run's folder.
enum class Kept { Link, Copy, None };

struct FileRecord {
  int index = 0;     // the kept original's name in the run's folder, in decimal
  std::string path;  // absolute, the file system's bytes
  Kept kept = Kept::None;
  // The original as it was before the run.
  off_t size = 0;
  mode_t mode = 0;
  uid_t owner = 0;
  gid_t group = 0;
  timespec modified{};
  std::uint64_t keptBytes = 0;  // disk space the kept original holds
  FileFingerprint written;      // what the run put in its place; its status-change time is not kept, see placedChange
  // The new content's status-change time once it took its place, which no user can set: a
  // file deleted and made again with the same inode, size and modification time still differs.
  // None when the run was cut off before it was written, or in a journal written before.
  std::optional<timespec> placedChange;
  // Undo gave it its original back, which then had this status-change time: an undo of an
  // older run that rewrote the same file knows it by it.
  std::optional<timespec> restored;
  std::vector<std::string> aside;  // the temporary names given beside it
  // Of a run cut off: not marked placed, and its file was still the original when the run was read.
  bool neverPlaced = false;
};

struct RunRecord {
  timespec started{};
  std::string frontEnd;
  std::string find;
  std::string replace;
  CompareMode compareMode = CompareMode::Binary;
  bool pattern = false;    // `find` was a regular expression, `replace` a template
  bool wholeWord = false;  // whole words only
  std::vector<FileRecord> files;
  std::vector<std::string> temporaries;  // absolute paths, from "temporary" lines
  std::optional<std::int64_t> replacements;  // known once the run has ended
  // Known once the run has ended; a journal written before it was recorded lacks it.
  std::optional<std::int64_t> filesReplaced;
  bool undone = false;
  int undoAttempts = 0;  // undos that left files for a reason that may pass
  // The last line does not close the run nor an undo of it: a kill cut one off, and may have
  // left temporary files beside the run's files.
  bool cutOff = false;

  std::uint64_t keptBytes() const;
  // The files the run put in place: those of an ended run, or those a run cut off may have placed.
  std::int64_t filesPutInPlace() const;
  // The files put in place without an original kept: undo cannot take them back.
  std::int64_t filesWithoutCopy() const;
};

std::string headerLines(const RunRecord& run);
std::string fileLine(const FileRecord& file);
std::string endLine(std::int64_t replacements, std::int64_t filesReplaced);
std::string asideLine(int index, const std::string& name);
std::string temporaryLine(const std::string& path);
std::string placedLine(int index, const timespec& changed);
std::string restoredLine(int index, const timespec& changed);
std::string triedLine(const timespec& when);
std::string undoneLine(const timespec& when);
std::string tidiedLine(const timespec& when);

// Whether a manifest whose last line is `line` was closed: by the run's end, or by an undo's last mark.
bool closesRun(std::string_view line);

// A path undo may write to: absolute, without "." or ".." steps and without NUL bytes.
bool isPlainAbsolutePath(const std::string& path);

// The run a manifest describes. Nothing when a complete line is not understood or names a
// path that is not absolute, so a damaged or forged manifest is refused as a whole. A last
// line without its line end is a record whose write never finished: its file was not yet
// replaced, so it is passed over. Once a run has ended, a file never placed is no longer part
// of it (a retried file's first attempt, a file dropped at a stop); a run cut off before its
// end keeps every record, for undo to tell which files took their place.
std::optional<RunRecord> parseManifest(std::string_view text);

}  // namespace sorvane::journal
