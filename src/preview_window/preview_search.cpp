#include "preview_window/preview_search.h"

#include "engine/files/yielder.h"
#include "engine/run/folder_walk.h"
#include "engine/text/encoded_terms.h"

#include <utility>

namespace sorvane::preview {
namespace {

// Keeps a file's lines until the list holds its share of occurrences; counts go on regardless.
class ListedLines final : public PreviewLineSink {
 public:
  ListedLines(FoundFile& file, std::int64_t& listedInAll, std::int64_t bound)
      : file_(file), listedInAll_(listedInAll), bound_(bound) {}
  bool line(const PreviewLine& line) override {
    if (listedInAll_ >= bound_) return true;
    file_.lines.push_back(std::make_shared<const PreviewLine>(line));
    for (const PreviewSegment& segment : line.segments) {
      if (!segment.occurrence || listedInAll_ >= bound_) continue;
      ++listedInAll_;
      ++file_.listed;
    }
    return true;
  }
  bool wantsLines() const override { return listedInAll_ < bound_; }

 private:
  FoundFile& file_;
  std::int64_t& listedInAll_;
  std::int64_t bound_;
};

}  // namespace

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

PreviewSearch::PreviewSearch(RunRequest request, EngineOptions options, std::int64_t listedOccurrences)
    : request_(std::move(request)),
      options_(options),
      listedOccurrences_(listedOccurrences),
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
  ListedLines lines(file, occurrencesListed_, listedOccurrences_);
  const Result<FilePreview> preview = previewFile(named, terms_, lines, yielder, buffers_, options_.bufferCapacity);
  // A file cut off by a stop is not searched, and not listed.
  if (preview.stopped()) return false;
  ++filesSearched_;
  if (!preview.ok()) {
    occurrencesListed_ = listedBefore;
    listFailed(named.path, *preview.failure());
  } else if (preview.value().occurrences == 0) {
    occurrencesListed_ = listedBefore;
  } else {
    file.preview = preview.value();
    const std::lock_guard lock(mutex_);
    found_.push_back(std::move(file));
  }
  // A stop from here on leaves out only the files after it, if any.
  return true;
}

void PreviewSearch::listFailed(const std::string& path, const Failure& failure) {
  const std::lock_guard lock(mutex_);
  found_.push_back(FoundFile{path, {}, {}, 0, failure});
}

std::vector<FoundFile> PreviewSearch::takeFound() {
  const std::lock_guard lock(mutex_);
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
