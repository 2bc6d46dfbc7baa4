#pragma once

#include "engine/run/chosen_files.h"
#include "engine/run/file_masks.h"
#include "engine/text/search_terms.h"
#include "vocabulary/vocabulary.h"

#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace sorvane {

// The files of a file run, named one at a time. Their count is asked again before each file:
// a window's list is read on every pass.
struct FileList {
  std::function<int()> count;
  std::function<std::string(int)> item;

  static FileList of(std::vector<std::string> paths);
  // The files as they are listed now, for a search on another thread than the list's.
  FileList asListedNow() const;
};

// A folder run: the files of `path` whose names match `namePattern` and that `masks` take, and
// with `recursive` those of every folder below it that the masks let the walk enter. A file that
// looks binary is passed over, and counted, unless `binaryAsText`.
struct FolderRun {
  std::string path;
  std::string namePattern;
  bool recursive = false;
  FileMasks masks = {};
  bool binaryAsText = false;
};

// The files a preview showed, in its order: each is rewritten only while it is as shown, and
// only in the occurrences chosen there. `foundUnder` is the folder a walk found them in; none
// for a list of files.
struct PreviewedFiles {
  std::vector<ChosenFile> files;
  std::string foundUnder;
};

// What a run is to do. Over nothing, it touches no file and reports 0.
struct RunRequest {
  SearchTerms terms;
  std::variant<std::monostate, FileList, FolderRun, PreviewedFiles> over;
  bool dryRun = false;  // count the occurrences, write nothing
};

}  // namespace sorvane
