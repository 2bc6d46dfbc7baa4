#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sorvane {

// A piece of a line as a preview shows it: text the run keeps, or one occurrence. Texts are in display form: UTF-8, decoded as the viewer decodes the file, bytes
// that form no character and control characters other than tab written as \xNN. A line end can
// appear only inside an occurrence or a replacement, as one LF.
struct PreviewSegment {
  std::string text;
  bool occurrence = false;
  std::int64_t index = -1;  // an occurrence's index in its file, counted as a run counts them
  std::string replacement;  // what replaces an occurrence
};

// A line that holds occurrences. Lines end at LF, CR LF or CR. The text around each occurrence
// is cut to kContext characters on either side, with "…" where it was cut; a line with more than
// kMostOccurrences comes in pieces of that many, each after the first marked `continued`, and
// the text between two pieces ends the one and starts the next, each time with "…" towards
// the other.
struct PreviewLine {
  static constexpr std::size_t kContext = 120;
  static constexpr std::size_t kMostOccurrences = 32;

  std::int64_t number = 0;      // of the line it starts on, from 1
  std::int64_t lastNumber = 0;  // of the last line it touches: more when an occurrence holds an LF
  bool continued = false;
  std::vector<PreviewSegment> segments;  // in the file's order
};

// Where a file's preview goes, line by line, as it is read.
class PreviewLineSink {
 public:
  virtual ~PreviewLineSink() = default;
  // False ends the preview of the file, as a stop does. The line is the sink's to keep.
  virtual bool line(PreviewLine&& line) = 0;
  // False once no more lines are wanted, asked after each line: the rest is only counted.
  virtual bool wantsLines() const { return true; }
};

}  // namespace sorvane
