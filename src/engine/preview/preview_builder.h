#pragma once

#include "engine/display/display_encoding.h"
#include "engine/preview/preview_line.h"
#include "engine/preview/shown_text.h"
#include "engine/preview/stretch_bytes.h"
#include "engine/text/byte_set_scanner.h"
#include "engine/text/stream_rewriter.h"
#include "engine/text/text_encoding.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sorvane {

// Builds a file's preview from its rewrite's stream: numbers its lines, keeps the text next to
// each occurrence, and hands each line that holds one to the sink as soon as it ends. Lines end
// at LF, CR LF and CR, as code units of the stream's encoding. Once the sink wants no more
// lines, the stream passes through untouched, and only the rewrite counts.
class PreviewBuilder final : public RewriteSink {
 public:
  // `encoding` is the stream's, whose byte order mark it passes over; `shown` how its text is
  // decoded to be shown; `replacement` what replaces every occurrence, in display form, where
  // one text does (a term's); without it each is shown as the rewrite replaces it.
  PreviewBuilder(TextEncoding encoding, DisplayEncoding shown, std::optional<std::string> replacement,
                 PreviewLineSink& sink);

  bool keep(std::string_view bytes) override;
  bool replace(std::string_view occurrence) override { return addOccurrence(occurrence, *replacement_); }
  bool replace(std::string_view occurrence, std::string_view replacement) override;
  bool keepHole(std::uint64_t length) override;
  // The end of the stream, which ends its last line. False when the sink asked to stop.
  bool finish();
  // True once the sink asked to stop.
  bool declined() const { return declined_; }

 private:
  bool addOccurrence(std::string_view occurrence, std::string_view shownReplacement);
  bool keepUnits(std::string_view units);  // whole code units
  std::size_t lineEndIn(std::string_view units) const;
  char32_t unitAt(std::string_view units, std::size_t at) const;
  bool endLine();
  bool handOn(bool lineGoesOn);
  void addText(std::string text);
  std::string textBefore();
  std::string textAfter(bool lineGoesOn);
  std::string textBetween();

  const std::optional<utf16::ByteOrder> order_;  // none for 8-bit text
  const std::size_t unitSize_;
  const DisplayEncoding shown_;
  PreviewLineSink& sink_;
  const ByteSetScanner lineEndBytes_;
  std::size_t markLeft_;               // bytes of the byte order mark not passed over yet
  std::optional<char> oddLastByte_;    // of UTF-16 text, which forms no unit
  bool afterCr_ = false;               // the last line ended at a CR, which an LF would join
  std::int64_t lineNumber_ = 1;
  std::int64_t occurrences_ = 0;
  StretchBytes stretch_;               // since the line's start or its last occurrence
  PreviewLine piece_;
  std::size_t occurrencesInPiece_ = 0;
  ShownText shownText_{shown_};
  const std::optional<std::string> replacement_;
  ShownText shownReplacement_{shown_};
  bool declined_ = false;
  bool countingOnly_ = false;  // the sink wants no more lines: the rewrite only counts
};

}  // namespace sorvane
