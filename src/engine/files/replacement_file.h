#pragma once

#include "engine/files/failure.h"
#include "engine/files/file_attributes.h"
#include "engine/files/replacement_writer.h"
#include "engine/files/rewrite_result.h"
#include "engine/files/undo_record.h"
#include "engine/text/stream_rewriter.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace sorvane {

// Opens an unnamed file in the folder open as `folder` (O_TMPFILE), or returns -1 with errno.
using CreateUnnamedCall = int (*)(int folder);
// How a finished replacement takes the target's name: swapped with it, or renamed over it, as
// renameat2(2) does.
using RenameCall = int (*)(int fromFolder, const char* from, int toFolder, const char* to, unsigned int flags);
// Gives a file a name, as linkat(2) does.
using LinkCall = int (*)(int fromFolder, const char* from, int toFolder, const char* to, int flags);
// Makes what was written to an open file or folder durable, as fdatasync(2) and fsync(2) do.
using FlushCall = int (*)(int fd);

// The system's unnamed file; a file system without it, or a system without /proc (through
// which the file is named later), fails with EOPNOTSUPP.
int createUnnamedFile(int folder);

// The calls that create, label, flush and name a replacement; a seam, so tests can watch each
// step or make it fail. `flushData` runs on helper threads.
struct SwapCalls {
  CreateUnnamedCall createUnnamed = &createUnnamedFile;
  SetAttributeCall setAttribute = &::fsetxattr;
  FlushCall flushData = &::fdatasync;
  LinkCall link = &::linkat;
  RenameCall rename = &::renameat2;
  FlushCall flushFolder = &::fsync;
};

// The new content of one file, written to a temporary file in the target's folder and swapped
// in by an atomic rename. Until the first occurrence nothing is written: a file without one is
// never touched. Long unchanged stretches are copied from the source by the kernel, its holes
// left out. Where the file system allows, the temporary file has no name until just before the
// rename, so a killed run leaves nothing behind; elsewhere it takes a name of temporary_name.h.
// Whatever fails, the target keeps its bytes and no temporary file remains.
class ReplacementFile final : public RewriteSink {
 public:
  // The target is `name` in the folder open as `folder`; `path` names it in failures.
  // `undoRecord`, if any, hears of a temporary name before it is given.
  ReplacementFile(int folder, std::string name, std::string path, int sourceFd, const struct stat& sourceStatus,
                  std::string replacement, const SwapCalls& calls, const WriteTuning& tuning, Yielder& yielder,
                  UndoRecord* undoRecord);
  ~ReplacementFile() override;
  ReplacementFile(const ReplacementFile&) = delete;  // owns a temporary file
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  bool keep(std::string_view bytes) override;
  bool replace(std::string_view occurrence) override;
  bool replace(std::string_view occurrence, std::string_view replacement) override;
  bool keepHole(std::uint64_t length) override;

  // Puts everything the source gave into the temporary file; until then, some of it may still be
  // read from the source.
  bool finishWriting();
  // True once an occurrence was written: there is new content to put in place.
  bool replaces() const { return temporaryFd_ >= 0; }

  // The stages of the swap, in this order, each once. The content is finished and written.
  // Gives the new content the target's attributes.
  Status seal();
  // Hands the original to the journal, if there is one, so the run can be taken back: before
  // the swap, on the run's thread, in run order. False without a journal.
  bool keepOriginal();
  // Makes the new content durable. May run on another thread while nothing else uses this file.
  Status flush();
  // Moves the flushed content over the target, and tells the journal that kept the original.
  // The folder's flush, which makes the new name durable, is the caller's, once for all the
  // files it moved into that folder.
  Status publish();
  // The size of the new content, known once sealed.
  std::uint64_t size() const { return size_; }
  const std::optional<Failure>& failure() const { return failure_; }
  // True when the host asked the run to stop while a long stretch was being copied.
  bool stopped() const { return stopped_; }

 private:
  bool create();
  bool createNamed();
  Status linkUnnamed();
  // Gives the temporary file the target's name, unless the name no longer holds the source.
  Status swapIn();
  bool endStretch();
  bool writerFailed();
  void discard();
  bool fail(int error);
  bool failToCreate(int error);
  template <typename Text>
  bool put(std::string_view occurrence, const Text& replacement);
  Status failed(int error);

  int folder_;
  std::string name_;
  std::string path_;
  int sourceFd_;
  struct stat sourceStatus_;
  std::string replacement_;  // a term's; none for a pattern's matches
  SwapCalls calls_;
  WriteTuning tuning_;
  Yielder& yielder_;
  UndoRecord* undoRecord_;  // the run's, if it has one; it keeps the original
  std::string temporaryName_;  // empty while the temporary file has no name
  std::string plannedName_;    // the name an unnamed one is to take, chosen once it is sealed
  int temporaryFd_ = -1;
  std::unique_ptr<ReplacementWriter> writer_;
  // Stretches at least this long are copied by the kernel: in a sparse source, any that may
  // hold a hole.
  std::uint64_t kernelCopyFrom_;
  std::uint64_t sourceOffset_ = 0;  // the source's bytes passed on so far
  std::uint64_t stretchStart_ = 0;  // where the bytes kept since the last occurrence begin
  // Where the kernel's copy of the current stretch begins; none while it goes through the buffer.
  std::optional<std::uint64_t> copyFrom_;
  std::uint64_t size_ = 0;
  FileFingerprint written_;  // the new content's, once sealed
  int attempt_ = 0;  // its number in the journal that kept the original
  bool stopped_ = false;
  std::optional<Failure> failure_;
};

}  // namespace sorvane
