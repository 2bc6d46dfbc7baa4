#include "engine/text/pattern_rewriter.h"

#include "engine/text/pattern_scratch.h"
#include "engine/text/utf16_units.h"
#include "engine/text/utf8_units.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace sorvane {
namespace {

constexpr std::size_t kNowhere = static_cast<std::size_t>(-1);
// How often, in match attempts, the budget and the stop request are looked at.
constexpr unsigned kAttemptsBetweenChecks = 64;

}  // namespace

// Matches the pattern over one subject, a stretch of whole code units of the buffer, in the
// text's own code units. Offsets are in code units from the subject's start.
class PatternRewriter::SubjectMatcher {
 public:
  virtual ~SubjectMatcher() = default;
  virtual void setSubject(const char* bytes, std::size_t units) = 0;
  // PCRE2's result: the number of pairs set, or a negative error such as PCRE2_ERROR_NOMATCH.
  virtual int match(std::size_t start, std::uint32_t options) = 0;
  virtual const PCRE2_SIZE* ovector() const = 0;
};

namespace {

class BytesMatcher final : public PatternRewriter::SubjectMatcher {
 public:
  BytesMatcher(const pcre2_code_8* code, PatternScratch& scratch)
      : code_(code), data_(scratch.matchData(code)), context_(scratch.context8()) {}
  void setSubject(const char* bytes, std::size_t units) override {
    subject_ = reinterpret_cast<PCRE2_SPTR8>(bytes);
    units_ = units;
  }
  int match(std::size_t start, std::uint32_t options) override {
    return pcre2_jit_match_8(code_, subject_, units_, start, options, data_, context_);
  }
  const PCRE2_SIZE* ovector() const override { return pcre2_get_ovector_pointer_8(data_); }

 private:
  const pcre2_code_8* code_;
  pcre2_match_data_8* data_;
  pcre2_match_context_8* context_;
  PCRE2_SPTR8 subject_ = nullptr;
  std::size_t units_ = 0;
};

// UTF-16 in either byte order is matched as native code units, copied from the buffer.
class Utf16UnitsMatcher final : public PatternRewriter::SubjectMatcher {
 public:
  Utf16UnitsMatcher(const pcre2_code_16* code, PatternScratch& scratch, utf16::ByteOrder order)
      : code_(code), data_(scratch.matchData(code)), context_(scratch.context16()), order_(order) {}
  void setSubject(const char* bytes, std::size_t units) override {
    units_.resize(units);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    for (std::size_t i = 0; i < units; ++i) units_[i] = utf16::unitAt(p + 2 * i, order_);
  }
  int match(std::size_t start, std::uint32_t options) override {
    return pcre2_jit_match_16(code_, reinterpret_cast<PCRE2_SPTR16>(units_.data()), units_.size(), start, options,
                              data_, context_);
  }
  const PCRE2_SIZE* ovector() const override { return pcre2_get_ovector_pointer_16(data_); }

 private:
  const pcre2_code_16* code_;
  pcre2_match_data_16* data_;
  pcre2_match_context_16* context_;
  const utf16::ByteOrder order_;
  std::vector<char16_t> units_;
};

bool isContinuationByte(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

}  // namespace

// One stream's way through the rewriter.
class PatternRewriter::Pass {
 public:
  Pass(PatternRewriter& rewriter, ByteSource& source, RewriteSink& sink, const OccurrenceChoice* choice)
      : r_(rewriter),
        source_(source),
        sink_(sink),
        data_(rewriter.buffer_),
        order_(utf16ByteOrderOf(rewriter.encoding_)),
        deadline_(std::chrono::steady_clock::now() + rewriter.budget_),
        wantsReplacements_(sink.wantsReplacements()) {
    if (choice) cursor_.emplace(*choice);
  }

  bool run() {
    while (true) {
      std::size_t got = 0;
      if (!source_.read(data_ + length_, r_.size_ - length_, got)) return false;
      atEnd_ = got == 0;
      length_ += got;
      if (!settle()) return false;
      if (atEnd_) return true;
      roll();
    }
  }

 private:
  // Settles all that the data read so far allows. False ends the run.
  bool settle() {
    const std::size_t whole = length_ - length_ % r_.unit_;
    while (true) {
      if (afterCr_) {
        if (position_ + r_.unit_ > whole && !atEnd_) return true;  // an LF may follow yet
        afterCr_ = false;
        if (position_ + r_.unit_ <= whole && unitAt(position_) == U'\n' && !keepTo(position_ + r_.unit_))
          return false;
        startLine();
      }
      const std::size_t cr = findCr(std::max(scanned_, position_), whole);
      if (cr != kNowhere) {
        if (!matchSubject(cr, false) || !keepTo(cr + r_.unit_)) return false;
        afterCr_ = true;
        startLine();
        continue;
      }
      scanned_ = whole;
      if (atEnd_) {
        // Text after the last line end is a line; the end of the text right after one is not.
        if ((whole > subjectStart_ || lineCut_) && !matchSubject(whole, false)) return false;
        return keepTo(length_);
      }
      if (subjectStart_ > 0 || length_ < r_.size_) return true;  // there is room for more of the line
      // The buffer holds nothing but this line: settle what partial matching allows.
      if (!matchSubject(partialEnd(whole), true)) return false;
      const std::size_t keepFrom = characterStartFrom(position_ - std::min(position_, r_.lookbehindBytes_));
      if (keepFrom == 0) return troubled(PatternTrouble::MatchTooLong);
      subjectStart_ = keepFrom;
      lineCut_ = true;
      return true;
    }
  }

  // Matches data_[subjectStart_, end) from position_ on, and settles the data up to `end`, or,
  // when `partial`, up to where a match may begin that runs past `end`.
  bool matchSubject(std::size_t end, bool partial) {
    r_.matcher_->setSubject(data_ + subjectStart_, (end - subjectStart_) / r_.unit_);
    const std::uint32_t options = (lineCut_ ? PCRE2_NOTBOL : 0) | (partial ? PCRE2_PARTIAL_HARD : 0);
    while (true) {
      if (++attempts_ % kAttemptsBetweenChecks == 0) {
        if (std::chrono::steady_clock::now() > deadline_) return troubled(PatternTrouble::OverBudget);
        if (!source_.stillWanted()) return false;
      }
      const int result = r_.matcher_->match((position_ - subjectStart_) / r_.unit_,
                                            options | (emptyAt_ == position_ ? PCRE2_NOTEMPTY_ATSTART : 0));
      if (result == PCRE2_ERROR_NOMATCH) return keepTo(end);
      const PCRE2_SIZE* ovector = r_.matcher_->ovector();
      if (result == PCRE2_ERROR_PARTIAL) return keepTo(std::max(position_, offsetOf(ovector[0])));
      if (result < 0) return troubled(PatternTrouble::TooComplex);
      const std::size_t start = offsetOf(ovector[0]);
      const std::size_t stop = std::max(start, offsetOf(ovector[1]));
      if (!keepTo(start)) return false;
      // What follows an empty match at the end of the data decides whether it is one.
      if (partial && start == end) return true;
      // PCRE2 finds an empty match before an invalid code unit where its search starts, and
      // passes over it where its search goes by: where the buffer ends must not decide. None
      // is taken.
      if (start == stop && start < end && startsInvalidUnit(start, end)) {
        emptyAt_ = start;
        continue;
      }
      if (!replace(start, stop, ovector, static_cast<std::size_t>(result))) return false;
      position_ = stop;
      // An empty match may follow a match that is not, but no two empty ones start at one place.
      emptyAt_ = start == stop ? stop : kNowhere;
    }
  }

  bool replace(std::size_t start, std::size_t stop, const PCRE2_SIZE* ovector, std::size_t pairs) {
    const std::string_view occurrence(data_ + start, stop - start);
    if (cursor_ && !cursor_->nextIsChosen()) return sink_.keep(occurrence);
    ++r_.occurrences_;
    if (!wantsReplacements_) return sink_.replace(occurrence, {});
    groups_.assign(pairs, std::string_view());
    for (std::size_t i = 0; i < pairs; ++i) {
      if (ovector[2 * i] == PCRE2_UNSET) continue;
      const std::size_t from = offsetOf(ovector[2 * i]);
      groups_[i] = std::string_view(data_ + from, offsetOf(ovector[2 * i + 1]) - from);
    }
    text_.clear();
    if (!r_.replacement_.expand(groups_, r_.encoding_, text_)) return troubled(PatternTrouble::UnwritableReplacement);
    return sink_.replace(occurrence, text_);
  }

  bool keepTo(std::size_t to) {
    if (to <= position_) return true;
    const std::string_view bytes(data_ + position_, to - position_);
    position_ = to;
    return sink_.keep(bytes);
  }

  bool troubled(PatternTrouble trouble) {
    r_.trouble_ = trouble;
    return false;
  }

  void startLine() {
    subjectStart_ = scanned_ = position_;
    lineCut_ = false;
    emptyAt_ = kNowhere;
  }

  // Moves what is kept, from the current subject's start on, to the front of the buffer.
  void roll() {
    const std::size_t from = subjectStart_;
    std::memmove(data_, data_ + from, length_ - from);
    length_ -= from;
    position_ -= from;
    scanned_ -= from;
    subjectStart_ = 0;
    if (emptyAt_ != kNowhere) emptyAt_ -= from;
  }

  std::size_t offsetOf(PCRE2_SIZE unit) const { return subjectStart_ + unit * r_.unit_; }

  char32_t unitAt(std::size_t at) const {
    return order_ ? utf16::unitAt(reinterpret_cast<const unsigned char*>(data_ + at), *order_)
                  : static_cast<unsigned char>(data_[at]);
  }

  std::size_t findCr(std::size_t from, std::size_t to) const {
    if (!order_) {
      const void* cr = std::memchr(data_ + from, '\r', to - from);
      return cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - data_) : kNowhere;
    }
    for (std::size_t at = from; at < to; at += 2)
      if (unitAt(at) == U'\r') return at;
    return kNowhere;
  }

  bool startsInvalidUnit(std::size_t at, std::size_t end) const {
    if (order_) {
      const auto unit = static_cast<char16_t>(unitAt(at));
      if (utf16::isLowSurrogate(unit)) return true;
      return utf16::isHighSurrogate(unit) &&
             (at + 2 >= end || !utf16::isLowSurrogate(static_cast<char16_t>(unitAt(at + 2))));
    }
    const auto* p = reinterpret_cast<const unsigned char*>(data_ + at);
    return utf8::decodeUnit(p, reinterpret_cast<const unsigned char*>(data_ + end)).value >= utf8::kInvalidByteBase;
  }

  // The end of the data but for a character it may cut short, which more data could complete.
  std::size_t partialEnd(std::size_t whole) const {
    if (order_) return whole >= 2 && utf16::isHighSurrogate(static_cast<char16_t>(unitAt(whole - 2))) ? whole - 2 : whole;
    std::size_t lead = whole;
    while (lead > subjectStart_ && whole - lead < 3 && isContinuationByte(data_[lead - 1])) --lead;
    if (lead == subjectStart_) return whole;
    const auto* p = reinterpret_cast<const unsigned char*>(data_ + lead - 1);
    return utf8::decodeUnit(p, reinterpret_cast<const unsigned char*>(data_ + whole)).truncated ? lead - 1 : whole;
  }

  // The first character start at or after `at` (up to position_), so a kept look-back begins
  // with a whole character.
  std::size_t characterStartFrom(std::size_t at) const {
    if (order_) {
      if (at < position_ && utf16::isLowSurrogate(static_cast<char16_t>(unitAt(at)))) at += 2;
      return at;
    }
    for (int i = 0; i < 3 && at < position_ && isContinuationByte(data_[at]); ++i) ++at;
    return at;
  }

  PatternRewriter& r_;
  ByteSource& source_;
  RewriteSink& sink_;
  char* const data_;
  const std::optional<utf16::ByteOrder> order_;  // none for 8-bit text
  const std::chrono::steady_clock::time_point deadline_;
  const bool wantsReplacements_;
  std::optional<OccurrenceChoice::Cursor> cursor_;
  std::size_t length_ = 0;        // data_[0, length_) holds data
  bool atEnd_ = false;            // no data follows length_
  std::size_t position_ = 0;      // data_[0, position_) went to the sink
  std::size_t subjectStart_ = 0;  // the start of the line, or of what is kept of a long one
  bool lineCut_ = false;          // the line began before subjectStart_
  bool afterCr_ = false;          // a CR ended the last line: an LF next is part of its end
  std::size_t scanned_ = 0;       // data_[subjectStart_, scanned_) holds no CR
  std::size_t emptyAt_ = kNowhere;
  unsigned attempts_ = 0;
  std::vector<std::string_view> groups_;
  std::string text_;
};

PatternRewriter::PatternRewriter(const Pattern& pattern, const ReplacementTemplate& replacement, TextEncoding encoding,
                                 RewriteBuffers& buffers, std::size_t capacity, std::chrono::milliseconds budget)
    : replacement_(replacement),
      encoding_(encoding),
      unit_(utf16ByteOrderOf(encoding) ? 2 : 1),
      // A character takes at most four bytes in either form.
      lookbehindBytes_(4 * pattern.longestLookbehind()),
      // Room for the look-back and some fresh data, in whole code units.
      size_((std::max(capacity, lookbehindBytes_ + 16) + 1) & ~std::size_t{1}),
      buffer_(buffers.stream(size_)),
      budget_(budget) {
  PatternScratch& scratch = buffers.patternScratch();
  if (const std::optional<utf16::ByteOrder> order = utf16ByteOrderOf(encoding))
    matcher_ = std::make_unique<Utf16UnitsMatcher>(pattern.forUtf16(), scratch, *order);
  else
    matcher_ = std::make_unique<BytesMatcher>(pattern.forBytes(), scratch);
}

PatternRewriter::~PatternRewriter() = default;

bool PatternRewriter::run(ByteSource& source, RewriteSink& sink, const OccurrenceChoice* choice) {
  occurrences_ = 0;
  trouble_ = PatternTrouble::None;
  return Pass(*this, source, sink, choice).run();
}

}  // namespace sorvane
