#pragma once

#include "engine/failure.h"
#include "engine/stream_rewriter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace sorvane {

// How a finished replacement takes the target's name; a seam so tests can make it fail.
using RenameCall = int (*)(const char* from, const char* to);

// The new content of one file, written to a temporary file beside the target and swapped in
// by an atomic rename. Until the first occurrence nothing is written: a file without one is
// never touched. Whatever fails, the target keeps its bytes and no temporary file remains.
class ReplacementFile final : public RewriteSink {
 public:
  // Temporary files carry this prefix, so a left-over one (after a kill) is recognisable.
  static constexpr const char* kTemporaryPrefix = ".sorvane-";

  ReplacementFile(std::string target, int sourceFd, const struct stat& sourceStatus,
                  std::string replacement, RenameCall rename);
  ~ReplacementFile() override;
  ReplacementFile(const ReplacementFile&) = delete;  // owns a temporary file
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  bool keep(std::string_view bytes) override;
  bool replace(std::string_view occurrence) override;

  // Makes the new content durable and moves it over the target.
  bool commit();
  const std::optional<Failure>& failure() const { return failure_; }

 private:
  bool create();
  bool copyUntouchedPrefix();
  bool write(std::string_view bytes);
  bool flush();
  bool writeAll(const char* data, std::size_t size);
  void startWriteback();
  void discard();
  bool fail(int error);

  std::string target_;
  int sourceFd_;
  struct stat sourceStatus_;
  std::string replacement_;
  RenameCall rename_;
  std::string temporaryPath_;
  int temporaryFd_ = -1;
  std::uint64_t untouchedPrefix_ = 0;  // bytes kept before the first occurrence
  std::uint64_t written_ = 0;          // bytes in the temporary file so far
  std::uint64_t writebackStarted_ = 0;
  std::vector<char> pending_;
  std::size_t pendingSize_ = 0;
  std::optional<Failure> failure_;
};

}  // namespace sorvane
