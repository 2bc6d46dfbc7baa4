#include "preview_window/preview_search.h"

#include "engine/files/yielder.h"
#include "engine/run/folder_walk.h"
#include "engine/text/encoded_terms.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace sorvane::preview {

// Keeps a file's lines until the list holds its share of occurrences, handing them out as it
// goes; counts go on regardless.
class PreviewSearch::ListedLines final : public PreviewLineSink {
 public:
  ListedLines(PreviewSearch& search, FoundFile& file) : search_(search), file_(file) {}
  bool line(PreviewLine&& line) override {
    if (!wantsLines()) return true;
    const auto& kept = file_.lines.emplace_back(std::make_shared<const PreviewLine>(std::move(line)));
    for (const PreviewSegment& segment : kept->segments) {
      if (!segment.occurrence || !wantsLines()) continue;
      ++search_.occurrencesListed_;
      ++file_.listed;
    }
    // Once the list holds its share, what waits goes at once: the rest of the file is only counted.
    if (!wantsLines() || std::chrono::steady_clock::now() - handedOut_ >= search_.handOutEvery_) {
      search_.handOut(file_, false);
      handedOut_ = std::chrono::steady_clock::now();
      anyHandedOut_ = true;
    }
    return true;
  }
  bool wantsLines() const override { return search_.occurrencesListed_ < search_.listedOccurrences_; }
  bool anyHandedOut() const { return anyHandedOut_; }

 private:
  PreviewSearch& search_;
  FoundFile& file_;
  std::chrono::steady_clock::time_point handedOut_ = std::chrono::steady_clock::now();
  bool anyHandedOut_ = false;
};

// A folder's files in run order, each searched as it is met.
class PreviewSearch::FolderSearch final : public FolderVisitor {
 public:
  explicit FolderSearch(PreviewSearch& search) : search_(search) {}
  bool file(FileToRewrite file) override { return search_.searchFile(file); }
  // The preview lists the files it meets; a folder it cannot list has none of them.
  bool folderNotListed(const std::string&, const Failure&) override { return true; }

 private:
  PreviewSearch& search_;
};

PreviewSearch::PreviewSearch(RunRequest request, EngineOptions options, std::int64_t listedOccurrences,
                             std::chrono::milliseconds handOutEvery, std::function<void()> news)
    : request_(std::move(request)),
      options_(options),
      listedOccurrences_(listedOccurrences),
      handOutEvery_(handOutEvery),
      news_(std::move(news)),
      thread_([this] { search(); }) {}

PreviewSearch::~PreviewSearch() {
  stop();
  thread_.join();
}

void PreviewSearch::search() {
  bool stopped = false;
  // A term that finds nothing opens no file, as in a run.
  if (terms_.findsNothing()) {
  } else if (const auto* list = std::get_if<FileList>(&request_.over)) {
    for (int i = 0; !stopped && i < list->count(); ++i) stopped = !searchFile(FileToRewrite::named(list->item(i)));
  } else if (const auto* folder = std::get_if<FolderRun>(&request_.over)) {
    FolderSearch visitor(*this);
    stopped = !walkFolders(*folder, options_.calls->readEntry, visitor);
  }
  const std::lock_guard lock(mutex_);
  endedEarly_ = stopped;
  ended_ = true;
  tell();
}

bool PreviewSearch::searchFile(const FileToRewrite& named) {
  if (stopRequested_) return false;  // this file is left out
  {
    const std::lock_guard lock(mutex_);
    currentFile_ = named.path;
  }
  Yielder yielder([this] { return !stopRequested_; }, options_.yieldInterval);
  FoundFile file{named.path, {}, {}, 0};
  const std::int64_t listedBefore = occurrencesListed_;
  ListedLines lines(*this, file);
  const Result<FilePreview> preview = previewFile(named, terms_, lines, yielder, buffers_, options_.bufferCapacity);
  if (!preview.ok() || preview.value().occurrences == 0) {
    occurrencesListed_ = listedBefore;
    // What was shown of it goes: it counts nothing.
    file.lines.clear();
    file.listed = 0;
    if (lines.anyHandedOut()) handOut(file, true);
  }
  // A file cut off by a stop is not searched, and not listed.
  if (preview.stopped()) return false;
  ++filesSearched_;
  if (preview.ok() && preview.value().passedOverAsBinary) ++binaryPassedOver_;
  if (!preview.ok()) {
    listFailed(named.path, *preview.failure());
  } else if (preview.value().occurrences > 0) {
    file.preview = preview.value();
    handOut(file, true);
  }
  // A stop from here on leaves out only the files after it, if any.
  return true;
}

void PreviewSearch::handOut(FoundFile& file, bool complete) {
  const std::lock_guard lock(mutex_);
  // Pieces the window has not taken yet are one.
  if (!found_.empty() && !found_.back().complete && found_.back().path == file.path) {
    FoundFile& waiting = found_.back();
    std::move(file.lines.begin(), file.lines.end(), std::back_inserter(waiting.lines));
    waiting.listed += file.listed;
    // A file that counts nothing in the end shows nothing of what waited.
    if (complete && file.preview.occurrences == 0) {
      waiting.lines.clear();
      waiting.listed = 0;
    }
    waiting.preview = file.preview;
    waiting.complete = complete;
  } else {
    found_.push_back(FoundFile{file.path, file.preview, std::move(file.lines), file.listed, std::nullopt, complete});
  }
  file.lines.clear();
  file.listed = 0;
  tell();
}

void PreviewSearch::listFailed(const std::string& path, const Failure& failure) {
  const std::lock_guard lock(mutex_);
  found_.push_back(FoundFile{path, {}, {}, 0, failure});
  tell();
}

void PreviewSearch::tell() {
  if (news_ && !told_) news_();
  told_ = true;
}

std::vector<FoundFile> PreviewSearch::takeFound() {
  const std::lock_guard lock(mutex_);
  told_ = false;
  return std::exchange(found_, {});
}

bool PreviewSearch::finished() {
  const std::lock_guard lock(mutex_);
  return ended_ && found_.empty();
}

bool PreviewSearch::endedEarly() {
  const std::lock_guard lock(mutex_);
  return endedEarly_;
}

std::string PreviewSearch::currentFile() {
  const std::lock_guard lock(mutex_);
  return currentFile_;
}

}  // namespace sorvane::preview
