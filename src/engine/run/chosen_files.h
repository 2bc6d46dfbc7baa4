#pragma once

#include "engine/files/file_fingerprint.h"
#include "engine/text/occurrence_choice.h"
#include "vocabulary/vocabulary.h"

#include <string>
#include <vector>

namespace sorvane {

// A file a preview showed, and what the user kept of it.
struct ChosenFile {
  std::string path;
  // As previewed: a file that differs is not rewritten. One the preview could not read has an
  // empty one, which no file matches, so it fails as it failed, or as changed since the preview.
  FileFingerprint fingerprint;
  OccurrenceChoice occurrences;
};

}  // namespace sorvane
