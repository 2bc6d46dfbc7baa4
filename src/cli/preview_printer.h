#pragma once

#include "cli/cli_options.h"
#include "engine/files/yielder.h"
#include "engine/preview/file_preview.h"
#include "engine/text/encoded_terms.h"
#include "engine/text/rewrite_buffers.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

namespace sorvane::cli {

// Prints what a run would change in a file: its path, then each line that holds an occurrence as
// it is ("N-: ") and as it will be ("N+: "), N the line's number in the file as it is and as it
// will be. A piece that spans lines is printed a line at a time, each with its own number. In
// colour, occurrences are bold red, replacements bold green and the path magenta.
class PreviewPrinter final : private PreviewLineSink {
 public:
  // `goOn` says whether to go on reading, as a run's yield does.
  PreviewPrinter(const CliOptions& options, std::ostream& out, bool colour, std::function<bool()> goOn);

  // Prints the preview of a file that holds `occurrences`, headed by its path, and by the count
  // too with --list. A file a walk found is opened within the folders it was found in.
  Result<FilePreview> print(const FileToRewrite& file, std::int64_t occurrences);

 private:
  bool line(PreviewLine&& line) override;
  // Prints one side of a piece from the line numbered `number`; returns the number of its last.
  std::int64_t printSide(const PreviewLine& line, bool asItWillBe, std::int64_t number);
  void printMarked(std::string_view text, const char* colour);

  bool list_;
  EncodedTerms terms_;
  std::ostream& out_;
  bool colour_;
  Yielder yielder_;
  RewriteBuffers buffers_;  // kept from file to file
  // Lines that the file as it will be has before the next piece, beyond those it has now.
  std::int64_t linesAdded_ = 0;
};

}  // namespace sorvane::cli
