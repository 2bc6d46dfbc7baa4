#pragma once

#include "engine/text/pattern.h"
#include "engine/text/replacement_template.h"
#include "engine/text/search_terms.h"
#include "engine/text/term_matcher.h"
#include "engine/text/text_encoding.h"

#include <array>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace sorvane {

// Where the find text or the replace text of a pattern run is at fault.
struct TermsFault {
  bool inReplace = false;  // the template, not the pattern
  PatternError error;
};

// The find and replace terms of a run (UTF-8), in the form each text encoding needs. The form
// for an encoding is made when a file in it first comes up, and kept for the rest of the run;
// the threads of a parallel run share them. A pattern and its template are compiled at once.
class EncodedTerms {
 public:
  explicit EncodedTerms(const SearchTerms& terms);
  EncodedTerms(const EncodedTerms&) = delete;  // rewriters hold on to its matchers
  EncodedTerms& operator=(const EncodedTerms&) = delete;

  // Why a pattern run's texts cannot be used; such terms find nothing.
  const std::optional<TermsFault>& fault() const { return fault_; }

  // True when no text in any encoding holds the find term (it is empty, or holds a line end).
  bool findsNothing() { return pattern_ ? false : fault_ || matcher(TextEncoding::Bytes).findsNothing(); }

  // The compiled pattern and template of a pattern run; none for a literal term.
  const Pattern* pattern() const { return pattern_.get(); }
  const ReplacementTemplate& replacementTemplate() const { return *template_; }

  // The fewest bytes a file can hold an occurrence in: over 8-bit text and UTF-16 with its byte
  // order mark, and, ignoring case, over every character that folds like each of the term's.
  std::size_t shortestMatchingFile() const { return shortestMatchingFile_; }

  const TermMatcher& matcher(TextEncoding encoding) { return form(encoding).matcher; }
  // The replacement as bytes of `encoding`; nothing when it cannot be written in it (text that
  // is not valid UTF-8 has no UTF-16 form).
  const std::optional<std::string>& replacement(TextEncoding encoding) { return form(encoding).replacement; }

 private:
  struct Form {
    TermMatcher matcher;
    std::optional<std::string> replacement;
  };
  Form& form(TextEncoding encoding);

  std::string find_;
  std::string replace_;
  CompareMode compare_;
  bool wholeWord_;
  std::unique_ptr<Pattern> pattern_;
  std::optional<ReplacementTemplate> template_;
  std::optional<TermsFault> fault_;
  std::size_t shortestMatchingFile_;
  // Each form is made once; after that, reading it takes no lock, as every file asks for it.
  std::array<std::once_flag, 5> formsMade_;
  std::array<std::unique_ptr<Form>, 5> forms_;  // by encoding
};

}  // namespace sorvane
