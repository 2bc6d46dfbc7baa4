#include "engine/run/replace_run.h"

#include "engine/files/yielder.h"
#include "engine/run/batch_publisher.h"
#include "engine/run/folder_walk.h"
#include "engine/text/encoded_terms.h"

#include <unistd.h>
#include <utility>
#include <variant>

namespace sorvane {

int onlineProcessors() {
  const long count = ::sysconf(_SC_NPROCESSORS_ONLN);
  return count > 0 ? static_cast<int>(count) : 1;
}

FileList FileList::of(std::vector<std::string> paths) {
  auto shared = std::make_shared<const std::vector<std::string>>(std::move(paths));
  return {[shared] { return static_cast<int>(shared->size()); },
          [shared](int index) { return shared->at(static_cast<std::size_t>(index)); }};
}

FileList FileList::asListedNow() const {
  std::vector<std::string> paths;
  for (int i = 0; i < count(); ++i) paths.push_back(item(i));
  return of(std::move(paths));
}

ReplaceRun::ReplaceRun(EngineOptions options) : options_(options) {}

ReplaceRun::~ReplaceRun() = default;

RunOutcome ReplaceRun::run(const RunRequest& request, RunEvents& events) {
  events_ = &events;
  course_ = RunCourse::GoOn;
  nCompare = request.terms.compare;
  strFindTerm = request.terms.find;
  strReplaceTerm = request.terms.replace;
  nReplacements = 0;
  nFileIndex = 0;
  bStop = false;
  bAbandoned = false;
  terms_ = std::make_unique<EncodedTerms>(request.terms);
  yielder_ = std::make_unique<Yielder>(
      [this] {
        course_ = events_->takeEvents();
        return course_ == RunCourse::GoOn;
      },
      options_.yieldInterval);
  batches_ = std::make_unique<BatchPublisher>(options_, request.dryRun, *terms_, *yielder_,
                                              static_cast<BatchHost&>(*this));
  UndoRecord* undoRecord = request.dryRun ? nullptr : options_.undoRecord;
  if (undoRecord)
    undoRecord->runStarted(request.terms, [this](const std::string& report) {
      if (events_) events_->journalSaid(report);
    });

  std::visit([this](const auto& over) { runOver(over); }, request.over);
  batches_->publishAll();
  const std::int64_t filesReplaced = batches_->filesReplaced();
  const std::int64_t binaryPassedOver = batches_->binaryPassedOver();
  batches_.reset();
  if (undoRecord) undoRecord->runEnded(nReplacements, filesReplaced);
  events.runEnds();
  events_ = nullptr;
  return {nReplacements, bStop, bAbandoned, binaryPassedOver};
}

void ReplaceRun::runOver(std::monostate) { events_->runBegins(0); }

void ReplaceRun::runOver(const FileList& files) {
  events_->runBegins(files.count());
  // The count is read again on every pass: the list may be a window's, not a copy.
  for (nFileIndex = 0; nFileIndex < files.count(); ++nFileIndex)
    if (!rewriteInTurn(FileToRewrite::named(files.item(nFileIndex)))) return;
}

void ReplaceRun::runOver(const PreviewedFiles& previewed) {
  events_->runBegins(static_cast<int>(previewed.files.size()));
  for (const ChosenFile& chosen : previewed.files) {
    FileToRewrite file = FileToRewrite::named(chosen.path);
    file.previewed = chosen.fingerprint;
    file.chosen = &chosen.occurrences;
    file.foundUnder = previewed.foundUnder;
    if (!rewriteInTurn(std::move(file))) return;
  }
}

void ReplaceRun::runOver(const FolderRun& folder) {
  events_->runBegins(0);  // a walk finds its files as it goes
  class RunVisitor final : public FolderVisitor {
   public:
    explicit RunVisitor(ReplaceRun& run) : run_(run) {}
    bool file(FileToRewrite file) override { return run_.rewriteInTurn(std::move(file)); }
    bool folderNotListed(const std::string& path, const Failure& failure) override {
      // Told in run order: after every file before it is done.
      run_.batches_->publishAll();
      if (run_.ended()) return false;
      run_.events_->folderNotListed(path, failure);
      return true;
    }

   private:
    ReplaceRun& run_;
  } visitor(*this);
  walkFolders(folder, options_.calls->readEntry, visitor);
}

void ReplaceRun::FindAndReplace(FileToRewrite myFile) {
  // An empty term (or one holding a line end) finds nothing, so there is nothing to open.
  if (terms_->findsNothing()) return;
  batches_->add(std::move(myFile));
}

bool ReplaceRun::rewriteInTurn(FileToRewrite file) {
  FindAndReplace(std::move(file));
  yield();
  return !ended();
}

void ReplaceRun::yield() {
  if (!ended() && !yielder_->poll()) endedByHost();
}

void ReplaceRun::endedByHost() {
  // Going away, the starter wants no report; a user's stop ends the run as Abort does.
  if (course_ == RunCourse::Abandon)
    bAbandoned = true;
  else
    bStop = true;
  batches_->cancel();
}

void ReplaceRun::fileDone(const std::string& path, std::int64_t replacements) {
  nReplacements += replacements;
  events_->fileDone(path, replacements);
}

bool ReplaceRun::retryAfter(const std::string& path, const Failure& failure) {
  const MessageAnswer button = events_->fileFailed(path, failure);
  if (!failure.isFileSystemFailure()) {
    events_->stoppedByFailure(nReplacements);
    bStop = true;
    return false;
  }
  if (button == MessageAnswer::Abort) {
    bStop = true;
    return false;
  }
  return button == MessageAnswer::Retry;
}

}  // namespace sorvane
