#include "preview_window/preview_search.h"

#include "engine/files/yielder.h"
#include "engine/run/host.h"
#include "engine/run/replace_run.h"
#include "engine/text/encoded_terms.h"

#include <utility>

namespace sorvane::preview {
namespace {

// The search records no terms: the window did when Preview was pressed.
class UnrecordedTerms final : public RecentTermList {
 public:
  int ListCount() const override { return 0; }
  std::string List(int) const override { return {}; }
  void AddItem(const std::string&) override {}
};

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

 private:
  FoundFile& file_;
  std::int64_t& listedInAll_;
  std::int64_t bound_;
};

}  // namespace

// The run's host on the search thread: the request's inputs, no boxes, and a failure passes
// its file over, to be listed with it.
class PreviewSearch::SearchHost final : public ReplaceHost {
 public:
  explicit SearchHost(PreviewSearch& search) : search_(search), request_(search.request_) {}
  bool fileFrameVisible() const override { return request_.fileMode; }
  bool folderFrameVisible() const override { return !request_.fileMode; }
  int fileListCount() const override { return static_cast<int>(request_.files.size()); }
  std::string fileListItem(int index) const override { return request_.files[static_cast<std::size_t>(index)]; }
  std::string folderCaption() const override { return request_.folder; }
  std::string findText() const override { return request_.find; }
  std::string replaceText() const override { return request_.replace; }
  std::string fileTypeText() const override { return request_.fileType; }
  CheckValue caseSensitiveValue() const override {
    return request_.compare == CompareMode::Binary ? CheckValue::Checked : CheckValue::Cleared;
  }
  CheckValue recursiveValue() const override { return request_.recursive; }
  RecentTermList& findTerms() override { return unrecorded_; }
  RecentTermList& replaceTerms() override { return unrecorded_; }
  MessageAnswer showMessage(const std::string&, MessageStyle, const std::string&) override { return MessageAnswer::Ok; }
  MessageAnswer fileFailed(const std::string& path, const Failure& failure) override {
    ++search_.filesSearched_;
    search_.listFailed(path, failure);
    return MessageAnswer::Ignore;
  }
  void fileDone(const std::string& path, std::int64_t occurrences) override { search_.fileSearched(path, occurrences); }
  void processPendingEvents() override {}
  bool stopRequested() const override { return false; }
  bool abortRequested() const override { return search_.stopRequested_; }
  void refreshFolderFiles() override {}
  void focusFind() override {}
  void DisableControls() override {}
  void EnableControls() override {}

 private:
  PreviewSearch& search_;
  const PreviewRequest& request_;
  UnrecordedTerms unrecorded_;
};

PreviewSearch::PreviewSearch(PreviewRequest request, EngineOptions options, std::int64_t listedOccurrences)
    : request_(std::move(request)),
      options_(options),
      listedOccurrences_(listedOccurrences),
      thread_([this] { search(); }) {}

PreviewSearch::~PreviewSearch() {
  stop();
  thread_.join();
}

void PreviewSearch::search() {
  // A dry run finds the files in run order, as Replace would meet them; each file that holds an
  // occurrence is then read again for its lines.
  options_.dryRun = true;
  options_.journal = nullptr;
  SearchHost host(*this);
  ReplaceEngine engine(host, options_);
  engine.cmdReplace_Click();
  const std::lock_guard lock(mutex_);
  // A stop seen after the last file of a list left nothing out.
  endedEarly_ = engine.stopped() &&
                (!request_.fileMode || filesSearched_ < static_cast<std::int64_t>(request_.files.size()));
  ended_ = true;
}

void PreviewSearch::fileSearched(const std::string& path, std::int64_t occurrences) {
  ++filesSearched_;
  {
    const std::lock_guard lock(mutex_);
    currentFile_ = path;
  }
  if (occurrences == 0) return;
  Yielder yielder([this] { return !stopRequested_; }, options_.yieldInterval);
  FoundFile file{path, {}, {}, 0};
  const std::int64_t listedBefore = occurrencesListed_;
  ListedLines lines(file, occurrencesListed_, listedOccurrences_);
  // Opened as the run opened it: a walk's file within its folders, however deep.
  FileToRewrite named = FileToRewrite::named(path);
  if (!request_.fileMode) named.foundUnder = request_.folder;
  const Result<FilePreview> preview = previewFile(named, terms_, lines, yielder, buffers_, options_.bufferCapacity);
  if (preview.stopped()) return;
  if (!preview.ok()) {
    occurrencesListed_ = listedBefore;
    return listFailed(path, *preview.failure());
  }
  // A file that changed into one without occurrences is not shown.
  if (preview.value().occurrences == 0) {
    occurrencesListed_ = listedBefore;
    return;
  }
  file.preview = preview.value();
  const std::lock_guard lock(mutex_);
  found_.push_back(std::move(file));
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
