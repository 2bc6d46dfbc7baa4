#pragma once

#include "engine/failure.h"
#include "engine/file_attributes.h"
#include "engine/replacement_writer.h"
#include "engine/run_journal.h"
#include "engine/stream_rewriter.h"

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
// How a finished replacement takes the target's name, as renameat(2) does.
using RenameCall = int (*)(int fromFolder, const char* from, int toFolder, const char* to);
// Gives a file a name, as linkat(2) does.
using LinkCall = int (*)(int fromFolder, const char* from, int toFolder, const char* to, int flags);

// The system's unnamed file; a file system without it, or a system without /proc (through
// which the file is named later), fails with EOPNOTSUPP.
int createUnnamedFile(int folder);

// The calls that create, label and name a replacement; a seam, so tests can watch each step or
// make it fail.
struct SwapCalls {
  CreateUnnamedCall createUnnamed = &createUnnamedFile;
  SetAttributeCall setAttribute = &::fsetxattr;
  LinkCall link = &::linkat;
  RenameCall rename = &::renameat;
};

// The new content of one file, written to a temporary file in the target's folder and swapped
// in by an atomic rename. Until the first occurrence nothing is written: a file without one is
// never touched. Long unchanged stretches are copied from the source by the kernel, its holes
// left out. Where the file system allows, the temporary file has no name until just before the
// rename, so a killed run leaves nothing behind. Whatever fails, the target keeps its bytes and
// no temporary file remains.
class ReplacementFile final : public RewriteSink {
 public:
  // A named temporary file is the prefix, six characters and the suffix, so a left-over one
  // (after a kill) is recognisable.
  static constexpr std::string_view kTemporaryPrefix = ".sorvane-";
  static constexpr std::string_view kTemporarySuffix = ".tmp";
  static bool isTemporaryName(std::string_view name);

  // The target is `name` in the folder open as `folder`; `path` names it in failures.
  ReplacementFile(int folder, std::string name, std::string path, int sourceFd, const struct stat& sourceStatus,
                  std::string replacement, const SwapCalls& calls, const WriteTuning& tuning, Yielder& yielder);
  ~ReplacementFile() override;
  ReplacementFile(const ReplacementFile&) = delete;  // owns a temporary file
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  bool keep(std::string_view bytes) override;
  bool replace(std::string_view occurrence) override;
  bool keepHole(std::uint64_t length) override;

  // Puts everything the source gave into the temporary file; until then, some of it may still be
  // read from the source.
  bool finishWriting();
  // Hands the original to `journal` before the swap, so the run can be taken back.
  void keepOriginalIn(RunJournal* journal) { journal_ = journal; }
  // Makes the new content durable, gives it the target's attributes and moves it over the target.
  bool commit();
  const std::optional<Failure>& failure() const { return failure_; }
  // True when the host asked the run to stop while a long stretch was being copied.
  bool stopped() const { return stopped_; }

 private:
  bool create();
  bool createNamed();
  bool linkUnnamed();
  bool endStretch();
  bool writerFailed();
  void discard();
  bool fail(int error);

  int folder_;
  std::string name_;
  std::string path_;
  int sourceFd_;
  struct stat sourceStatus_;
  std::string replacement_;
  SwapCalls calls_;
  WriteTuning tuning_;
  Yielder& yielder_;
  RunJournal* journal_ = nullptr;
  std::string temporaryName_;  // empty while the temporary file has no name
  int temporaryFd_ = -1;
  std::unique_ptr<ReplacementWriter> writer_;
  // Stretches at least this long are copied by the kernel: in a sparse source, any that may
  // hold a hole.
  std::uint64_t kernelCopyFrom_;
  std::uint64_t sourceOffset_ = 0;  // the source's bytes passed on so far
  std::uint64_t stretchStart_ = 0;  // where the bytes kept since the last occurrence begin
  // Where the kernel's copy of the current stretch begins; none while it goes through the buffer.
  std::optional<std::uint64_t> copyFrom_;
  bool stopped_ = false;
  std::optional<Failure> failure_;
};

}  // namespace sorvane
