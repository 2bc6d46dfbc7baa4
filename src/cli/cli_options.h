#pragma once

#include "engine/run/file_masks.h"
#include "engine/text/search_terms.h"
#include "vocabulary/vocabulary.h"

#include <optional>
#include <string>
#include <vector>

namespace sorvane::cli {

// When --preview marks occurrences and replacements in colour.
enum class ColorChoice { Auto, Always, Never };  // Auto: when standard output is a terminal

struct CliOptions {
  std::string find;
  std::string replace;
  bool ignoreCase = false;
  bool regex = false;  // --find is a pattern, --replace a template
  bool word = false;   // whole words only
  bool dryRun = false;
  bool preview = false;  // print each line a run would change, as it is and as it will be: a dry run
  ColorChoice color = ColorChoice::Auto;
  bool list = false;  // print each file that holds the term, with its count
  bool stopOnError = false;
  bool recursive = false;
  std::optional<std::string> folder;  // folder mode when set
  std::string fileType = kFileTypes[0].caption;
  FileMasks masks;      // of --glob; a file must match both them and the type's pattern
  bool binary = false;  // a folder run takes files that look binary as text
  std::vector<std::string> files;
  int jobs = 1;          // threads that rewrite files; 1 is the serial run
  bool noUndo = false;   // run without keeping what it replaces
  bool noProgress = false;  // no progress line, even on a terminal
  bool undo = false;     // take back the newest run instead of running
  bool history = false;  // list the kept runs instead of running
  bool help = false;
  bool version = false;

  SearchTerms searchTerms() const {
    return {find, replace, ignoreCase ? CompareMode::Text : CompareMode::Binary, regex, word};
  }
};

extern const char* const kUsage;

// Parses the arguments after the program name and checks that they describe a run: on a usage
// error returns nothing and sets `error`. The folder of a folder run must exist.
std::optional<CliOptions> parseArguments(const std::vector<std::string>& arguments, std::string& error);

}  // namespace sorvane::cli
