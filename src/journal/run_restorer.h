#pragma once

#include "engine/files/file_descriptor.h"
#include "journal/manifest_file.h"
#include "journal/undo.h"

#include <string>
#include <vector>

namespace sorvane::journal {

// Puts a run's originals back, a batch at a time, the way the run put its files in place: each
// file of the batch is checked and its original readied (copied beside it where the journal
// lies on another file system, the copies flushed together on helper threads), then the originals are
// renamed in order, each folder is flushed once, and the batch's marks are written once.
class RunRestorer {
 public:
  // `runPath` names the run's folder, open as `runFolder`, in what it tells.
  RunRestorer(int runFolder, std::string runPath, const UndoOptions& options, const LaterRestores& later,
              UndoOutcome& outcome);

  // Restores `files` in their order, marking each batch's restored files on `manifest` (none in
  // a dry run); the first mark that cannot be written is noted in the outcome's error.
  void restore(const std::vector<const FileRecord*>& files, ManifestFile* manifest);
  // Some file was left for a reason that may pass: a later attempt may restore it.
  bool leftAnyThatMayPass() const { return leftAnyThatMayPass_; }
  // Names, for each file left alone, where its original lies.
  void nameOriginals();

 private:
  struct Ready;
  struct Folder {
    std::string path;
    FileDescriptor fd;
    bool renamedInto = false;
  };

  // Readies the file's original, or leaves it alone; a file found restored is marked on `marks`.
  void prepare(const FileRecord& file, std::vector<Ready>& batch, std::string& marks);
  // Copies the originals of the batch that go beside their files, once the names they take are
  // on the manifest.
  void copyAside(std::vector<Ready>& batch);
  // Copies one original beside its file under a temporary name, its recorded one where it has one,
  // with the original's attributes; the caller flushes it and renames it over the file. 0 or an errno.
  int makeCopy(Ready& ready);
  bool isAsTheRunLeftIt(const struct stat& now, const FileRecord& file) const;
  // An undo cut off before it marked its renames already gave the file its original back.
  bool wasPutBack(const struct stat& now, const FileRecord& file, int folder, const std::string& name) const;
  // Renames the flushed original (its link or copy) back over the file, and notes the mark for it.
  void renameBack(Ready& ready, std::string& marks);
  int folderOf(const std::string& path, std::string& name);
  void flushFolders();
  void leaveAlone(const FileRecord& file, std::string reason, bool mayPass = false);

  int runFolder_;
  std::string runPath_;
  dev_t journalDevice_ = 0;
  const UndoOptions& options_;
  const LaterRestores& later_;
  UndoOutcome& outcome_;
  ManifestFile* manifest_ = nullptr;  // none in a dry run
  std::vector<Folder> folders_;  // the batch's, each flushed once
  std::vector<const FileRecord*> left_;  // the records of outcome_.leftAlone, in its order
  bool leftAnyThatMayPass_ = false;
};

}  // namespace sorvane::journal
