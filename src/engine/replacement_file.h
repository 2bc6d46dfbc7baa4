#pragma once

#include "engine/failure.h"
#include "engine/file_attributes.h"
#include "engine/run_journal.h"
#include "engine/stream_rewriter.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

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
// never touched. Where the file system allows, the temporary file has no name until just
// before the rename, so a killed run leaves nothing behind. Whatever fails, the target keeps
// its bytes and no temporary file remains.
class ReplacementFile final : public RewriteSink {
 public:
  // A named temporary file is the prefix, six characters and the suffix, so a left-over one
  // (after a kill) is recognisable.
  static constexpr std::string_view kTemporaryPrefix = ".sorvane-";
  static constexpr std::string_view kTemporarySuffix = ".tmp";
  static bool isTemporaryName(std::string_view name);

  // The target is `name` in the folder open as `folder`; `path` names it in failures.
  ReplacementFile(int folder, std::string name, std::string path, int sourceFd, const struct stat& sourceStatus,
                  std::string replacement, const SwapCalls& calls);
  ~ReplacementFile() override;
  ReplacementFile(const ReplacementFile&) = delete;  // owns a temporary file
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  bool keep(std::string_view bytes) override;
  bool replace(std::string_view occurrence) override;

  // Hands the original to `journal` before the swap, so the run can be taken back.
  void keepOriginalIn(RunJournal* journal) { journal_ = journal; }
  // Makes the new content durable, gives it the target's attributes and moves it over the target.
  bool commit();
  const std::optional<Failure>& failure() const { return failure_; }

 private:
  bool create();
  bool createNamed();
  bool linkUnnamed();
  bool copyUntouchedPrefix();
  bool write(std::string_view bytes);
  bool flush();
  bool writeAll(const char* data, std::size_t size);
  void startWriteback();
  void discard();
  bool fail(int error);

  int folder_;
  std::string name_;
  std::string path_;
  int sourceFd_;
  struct stat sourceStatus_;
  std::string replacement_;
  SwapCalls calls_;
  RunJournal* journal_ = nullptr;
  std::string temporaryName_;  // empty while the temporary file has no name
  int temporaryFd_ = -1;
  std::uint64_t untouchedPrefix_ = 0;  // bytes kept before the first occurrence
  std::uint64_t written_ = 0;          // bytes in the temporary file so far
  std::uint64_t writebackStarted_ = 0;
  std::vector<char> pending_;
  std::size_t pendingSize_ = 0;
  std::optional<Failure> failure_;
};

}  // namespace sorvane
