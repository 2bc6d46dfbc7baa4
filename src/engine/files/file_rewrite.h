#pragma once

#include "engine/files/file_descriptor.h"
#include "engine/files/file_fingerprint.h"
#include "engine/files/replacement_file.h"
#include "engine/files/rewrite_result.h"
#include "engine/files/undo_record.h"
#include "engine/text/encoded_terms.h"
#include "engine/text/stream_rewriter.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace sorvane {

class OccurrenceChoice;
class RewriteBuffers;
class SourceFile;
class TextRewrite;
class Yielder;

struct RewriteJob {
  EncodedTerms& terms;
  bool dryRun = false;  // count the occurrences, write nothing
  std::size_t bufferCapacity = StreamRewriter::kDefaultCapacity;
  SwapCalls swap;
  WriteTuning writing;
  // Keeps the originals; prepareRewrite() only tells it of the temporary names it gives.
  UndoRecord* undoRecord = nullptr;
};

// A file to rewrite: a path as the user named it, or a name in a folder that a walk holds open,
// so that no limit on the length of a path limits how deep the file may lie. The folder is
// shared, so it stays open while files in it wait to be put in place after the walk moved on.
struct FileToRewrite {
  std::string path;  // as the user sees it; opened by itself only when there is no folder
  std::shared_ptr<const FileDescriptor> folder;  // an open folder, or none
  std::string name;                              // the name within `folder`
  // A file a preview showed is rewritten only while it is as the preview read it, and then only
  // in the occurrences chosen there. The choice must outlive the run.
  std::optional<FileFingerprint> previewed = std::nullopt;  // none: not previewed
  const OccurrenceChoice* chosen = nullptr;  // none: every occurrence
  // The folder a walk found it in, when it is named again by its path after the walk: its
  // folders are opened from there, each within its parent, as the walk opened them.
  std::string foundUnder = {};
  // A file a folder run found, not one the user named: passed over should it look binary.
  bool passBinary = false;

  static FileToRewrite named(std::string path) { return {std::move(path), nullptr, {}}; }
};

// One file between the stages of its rewrite: read, and its new content written to a temporary
// file with the file's attributes; not yet flushed, nor in the file's place. Dropped before it
// is published, it leaves the file as it was and no temporary file behind.
class PreparedRewrite {
 public:
  PreparedRewrite(PreparedRewrite&&) noexcept;
  PreparedRewrite& operator=(PreparedRewrite&&) noexcept;
  ~PreparedRewrite();

  std::int64_t replacements() const { return replacements_; }
  // True when it was passed over, unread past its first block, as a binary file.
  bool passedOverAsBinary() const { return passedOverAsBinary_; }
  // False when there is nothing to put in place: no occurrence, or a dry run.
  bool replaces() const;
  // What its flush has to write.
  std::uint64_t size() const;
  // The folder the new content is moved into, or -1 when it replaces nothing.
  int folder() const;
  // True when both replace the same file: named twice, it must be read again after its rewrite.
  bool sameSource(const PreparedRewrite& other) const;

  // Hands the original to the job's journal, if there is one and the file replaces something.
  // Keeping it may link it, which sets its status-change time: `file`, if previewed, is from
  // then on expected with that time, so that a retry still finds it as previewed.
  void keepOriginal(FileToRewrite& file);
  // Makes the new content durable. May run on a helper thread while nothing else touches it.
  Status flush();
  // Puts the flushed content in the file's place, unless the file changed since it was read.
  // The folder's flush is the caller's.
  Status publish();
  // The original's status-change time as it is now, which keeping and renaming it set: other
  // names of the same file show it. None when it replaces nothing or cannot be told.
  std::optional<timespec> originalChangedNow() const;

 private:
  friend Result<PreparedRewrite> prepareRewrite(const FileToRewrite&, const RewriteJob&, Yielder&, RewriteBuffers&);
  PreparedRewrite(std::int64_t replacements, std::string path, std::shared_ptr<const FileDescriptor> folder,
                  std::unique_ptr<SourceFile> source, std::unique_ptr<ReplacementFile> replacement);

  std::int64_t replacements_ = 0;
  bool passedOverAsBinary_ = false;
  std::string path_;
  std::shared_ptr<const FileDescriptor> folder_;  // kept open until the file is in place
  std::unique_ptr<SourceFile> source_;
  std::unique_ptr<ReplacementFile> replacement_;  // none when it replaces nothing
};

// The first stage of a rewrite, as text in the encoding its byte order mark announces. A file
// named by a path that is a symbolic link is rewritten at the link's target, and the link stays
// a link; a name in a folder must be the file itself. A previewed file that is not as previewed
// fails. A file to pass over when binary that looks binary is left as it is. The file is read
// into `buffers`, which the caller keeps for its next file.
Result<PreparedRewrite> prepareRewrite(const FileToRewrite& file, const RewriteJob& job, Yielder& yielder,
                                       RewriteBuffers& buffers);

// Why a file's stream ended early: its source or its replacement (if any) stopped or failed.
Status endedBy(const SourceFile& source, const ReplacementFile* replacement, const std::string& path);
// The same, for a text rewrite that ended early: a pattern's trouble is its own failure.
Status endedBy(const SourceFile& source, const ReplacementFile* replacement, const TextRewrite& text,
               const std::string& path);

// One whole attempt on one file alone, put in place at once: prepared, its original handed to the
// job's journal, flushed, the journal made durable, and published. The flush of its folder(),
// which makes the new name durable, is the caller's. `file` is kept for a later attempt.
Result<PreparedRewrite> rewriteFile(FileToRewrite& file, const RewriteJob& job, Yielder& yielder);

}  // namespace sorvane
