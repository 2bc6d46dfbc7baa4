#pragma once

#include "engine/text/term_matcher.h"
#include "engine/text/text_encoding.h"

#include <array>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace sorvane {

// The find and replace terms of a run (UTF-8), in the form each text encoding needs. The form
// for an encoding is made when a file in it first comes up, and kept for the rest of the run;
// the threads of a parallel run share them.
class EncodedTerms {
 public:
  EncodedTerms(std::string find, std::string replace, CompareMode compare);
  EncodedTerms(const EncodedTerms&) = delete;  // rewriters hold on to its matchers
  EncodedTerms& operator=(const EncodedTerms&) = delete;

  // True when no text in any encoding holds the find term (it is empty, or holds a line end).
  bool findsNothing() { return matcher(TextEncoding::Bytes).findsNothing(); }

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
  std::size_t shortestMatchingFile_;
  // Each form is made once; after that, reading it takes no lock, as every file asks for it.
  std::array<std::once_flag, 5> formsMade_;
  std::array<std::unique_ptr<Form>, 5> forms_;  // by encoding
};

}  // namespace sorvane
