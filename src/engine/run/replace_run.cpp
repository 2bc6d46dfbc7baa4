#include "engine/run/replace_run.h"

#include "engine/files/file_descriptor.h"
#include "engine/files/file_rewrite.h"
#include "engine/files/temporary_name.h"
#include "engine/files/yielder.h"
#include "engine/run/batch_publisher.h"
#include "engine/run/file_types.h"
#include "engine/run/folder_listing.h"
#include "engine/run/messages.h"
#include "engine/run/name_pattern.h"
#include "engine/text/encoded_terms.h"
#include "engine/text/term_matcher.h"

#include <algorithm>
#include <array>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace sorvane {
namespace {

// Their files are a repository's own records, not the user's text: a replacement corrupts them.
bool isVersionControlFolder(const std::string& name) {
  static constexpr std::array<const char*, 3> names = {".git", ".hg", ".svn"};
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

int onlineProcessors() {
  const long count = ::sysconf(_SC_NPROCESSORS_ONLN);
  return count > 0 ? static_cast<int>(count) : 1;
}

ReplaceEngine::ReplaceEngine(ReplaceHost& host, EngineOptions options) : host_(host), options_(options) {}

ReplaceEngine::~ReplaceEngine() = default;

bool ReplaceEngine::checkInputsAndRecordTerms() {
  // An empty folder text would name the root of the disk: no one wants that run.
  const bool fileMode = host_.fileFrameVisible();
  const bool nothingToRun =
      fileMode ? host_.fileListCount() < 1 : host_.folderFrameVisible() && host_.folderCaption().empty();
  if (nothingToRun) {
    host_.showMessage(fileMode ? messages::kEmptyFileList : messages::kNoFolderChosen, MessageStyle::Critical,
                      kApplicationTitle);
    return false;
  }
  ListAddItem(host_.findTerms(), host_.findText(), CompareMode::Binary);
  ListAddItem(host_.replaceTerms(), host_.replaceText(), CompareMode::Binary);
  return true;
}

void ReplaceEngine::cmdReplace_Click() {
  host_.DisableControls();
  if (!checkInputsAndRecordTerms()) {
    host_.EnableControls();
    return;
  }
  const int listed = host_.fileFrameVisible() ? host_.fileListCount() : 0;
  runOver(host_.findText(), host_.replaceText(), compareModeOf(host_), listed, [this] {
    if (host_.fileFrameVisible()) {
      // The count is read again on every pass: the list is the window's, not a copy.
      for (nFileIndex = 0; nFileIndex < host_.fileListCount(); ++nFileIndex)
        if (!rewriteInTurn(FileToRewrite::named(host_.fileListItem(nFileIndex)))) break;
    } else if (host_.folderFrameVisible()) {
      FindFilesAPI(host_.folderCaption(), patternForFileType(host_.fileTypeText()));
      batches_->publishAll();
      if (!bAbandoned) host_.refreshFolderFiles();
    }
  });
}

void ReplaceEngine::replaceChosen(const ChosenRun& run) {
  host_.DisableControls();
  runOver(run.find, run.replace, run.compare, static_cast<int>(run.files.size()), [&] {
    for (const ChosenFile& chosen : run.files) {
      FileToRewrite file = FileToRewrite::named(chosen.path);
      file.previewed = chosen.fingerprint;
      file.chosen = &chosen.occurrences;
      file.foundUnder = run.folder;
      if (!rewriteInTurn(std::move(file))) break;
    }
  });
}

void ReplaceEngine::runOver(const std::string& find, const std::string& replace, CompareMode compare, int files,
                            const std::function<void()>& handFiles) {
  nCompare = compare;
  strFindTerm = find;
  strReplaceTerm = replace;
  nReplacements = 0;
  bStop = false;
  bAbandoned = false;
  terms_ = std::make_unique<EncodedTerms>(strFindTerm, strReplaceTerm, nCompare);
  yielder_ = std::make_unique<Yielder>([this] { return yieldTo(host_); }, options_.yieldInterval);
  batches_ = std::make_unique<BatchPublisher>(options_, *terms_, *yielder_, static_cast<BatchHost&>(*this));
  if (options_.journal) options_.journal->runStarted(strFindTerm, strReplaceTerm, nCompare);
  host_.runBegins(files);

  handFiles();
  batches_->publishAll();
  const std::int64_t filesReplaced = batches_->filesReplaced();
  batches_.reset();
  if (options_.journal) options_.journal->runEnded(nReplacements, filesReplaced);
  host_.runEnds();
  // A stop request means the host is going away: no report, and no widget is touched again.
  if (bAbandoned) return;

  const std::string report =
      options_.dryRun ? messages::dryRunReport(nReplacements) : messages::report(nReplacements);
  host_.showMessage(report, MessageStyle::Information, kApplicationTitle);
  host_.EnableControls();
  host_.focusFind();
}

void ReplaceEngine::ListAddItem(RecentTermList& lst, const std::string& sItem, CompareMode CaseSense) {
  const int count = lst.ListCount();
  for (int i = 0; i < count; ++i)
    if (containsTerm(lst.List(i), sItem, CaseSense)) return;
  lst.AddItem(sItem);
}

void ReplaceEngine::FindFilesAPI(std::string path, const std::string& SearchStr) {
  // An empty folder text names no folder; it must never become the root of the disk.
  if (path.empty()) return;
  if (path.back() != '/') path += '/';
  walkFolder(AT_FDCWD, path, path, NamePattern(SearchStr));
}

bool ReplaceEngine::walkFolder(int parent, const std::string& name, const std::string& path,
                               const NamePattern& pattern) {
  // Each folder is opened within its parent, so no limit on the length of a path applies.
  // Below the starting folder a name that has become a link since its listing is refused.
  // Shared with the files that wait in a batch to be put in place after the walk moved on.
  const auto folder = std::make_shared<const FileDescriptor>(
      ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (parent == AT_FDCWD ? 0 : O_NOFOLLOW)));
  // Listed once, before any file is rewritten, so the run never meets files it creates.
  const FolderListing listing =
      folder->valid() ? listFolder(folder->get(), options_.readEntry) : FolderListing{{}, {}, errno};
  if (listing.error != 0) {
    // Told in run order: after every file before it is done.
    batches_->publishAll();
    if (ended()) return false;
    const std::string shown = path.size() > 1 ? path.substr(0, path.size() - 1) : path;
    host_.folderNotListed(shown, failureFromErrno(listing.error, path));
  }
  for (const std::string& file : listing.files) {
    // A temporary file of an unfinished rewrite is not the user's text.
    if (pattern.matches(file) && !isTemporaryName(file))
      FindAndReplace(FileToRewrite{path + file, folder, file});
    yield();
    if (ended()) return false;
  }
  if (host_.recursiveValue() != CheckValue::Checked) return true;
  for (const std::string& sub : listing.folders) {
    if (isVersionControlFolder(sub)) continue;
    if (!walkFolder(folder->get(), sub, path + sub + "/", pattern)) return false;
  }
  return true;
}

void ReplaceEngine::FindAndReplace(FileToRewrite myFile) {
  // An empty term (or one holding a line end) finds nothing, so there is nothing to open.
  if (terms_->findsNothing()) return;
  batches_->add(std::move(myFile));
}

bool ReplaceEngine::rewriteInTurn(FileToRewrite file) {
  FindAndReplace(std::move(file));
  yield();
  return !ended();
}

void ReplaceEngine::yield() {
  if (!ended() && !yielder_->poll()) endedByHost();
}

void ReplaceEngine::endedByHost() {
  // Going away, the host wants no report; a user's stop ends the run as Abort does.
  if (host_.stopRequested())
    bAbandoned = true;
  else
    bStop = true;
  batches_->cancel();
}

void ReplaceEngine::fileDone(const std::string& path, std::int64_t replacements) {
  nReplacements += replacements;
  host_.fileDone(path, replacements);
}

bool ReplaceEngine::retryAfter(const std::string& path, const Failure& failure) {
  const MessageAnswer button = host_.fileFailed(path, failure);
  if (!failure.isFileSystemFailure()) {
    host_.showMessage(messages::operationStopped(nReplacements), MessageStyle::Information, kApplicationTitle);
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
