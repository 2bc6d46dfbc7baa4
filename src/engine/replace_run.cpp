#include "engine/replace_run.h"

#include "engine/encoded_terms.h"
#include "engine/file_rewrite.h"
#include "engine/file_types.h"
#include "engine/folder_listing.h"
#include "engine/messages.h"
#include "engine/name_pattern.h"
#include "engine/term_matcher.h"

#include <algorithm>
#include <array>
#include <new>

namespace sorvane {
namespace {

constexpr int kChecked = 1;

// Their files are a repository's own records, not the user's text: a replacement corrupts them.
bool isVersionControlFolder(const std::string& name) {
  static constexpr std::array<const char*, 3> names = {".git", ".hg", ".svn"};
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

ReplaceEngine::ReplaceEngine(ReplaceHost& host, EngineOptions options) : host_(host), options_(options) {}

ReplaceEngine::~ReplaceEngine() = default;

void ReplaceEngine::cmdReplace_Click() {
  host_.DisableControls();
  if (host_.fileFrameVisible() && host_.fileListCount() < 1) {
    host_.showMessage(messages::kEmptyFileList, kStyleCritical, kApplicationTitle);
    host_.EnableControls();
    return;
  }

  ListAddItem(host_.findTerms(), host_.findText(), kBinaryCompare);
  ListAddItem(host_.replaceTerms(), host_.replaceText(), kBinaryCompare);

  nCompare = host_.caseSensitiveValue() == kChecked ? kBinaryCompare : kTextCompare;
  strFindTerm = host_.findText();
  strReplaceTerm = host_.replaceText();
  nReplacements = 0;
  nFileIndex = 0;
  bStop = false;
  bAbandoned = false;
  terms_ = std::make_unique<EncodedTerms>(strFindTerm, strReplaceTerm, nCompare);
  yielder_ = std::make_unique<Yielder>(host_, options_.yieldInterval);

  if (host_.fileFrameVisible()) {
    // The count is read again on every pass: the list is the window's, not a copy.
    while (nFileIndex < host_.fileListCount()) {
      FindAndReplace(host_.fileListItem(nFileIndex));
      if (ended()) break;
      ++nFileIndex;
      if (!yielder_->poll()) bAbandoned = true;
      if (ended()) break;
    }
  } else if (host_.folderFrameVisible()) {
    FindFilesAPI(host_.folderCaption(), patternForFileType(host_.fileTypeText()));
    if (!bAbandoned) host_.refreshFolderFiles();
  }
  // A stop request means the host is going away: no report, and no widget is touched again.
  if (bAbandoned) return;

  const std::string report =
      options_.dryRun ? messages::dryRunReport(nReplacements) : messages::report(nReplacements);
  host_.showMessage(report, kStyleInformation, kApplicationTitle);
  host_.EnableControls();
  host_.focusFind();
}

void ReplaceEngine::ListAddItem(RecentTermList& lst, const std::string& sItem, int CaseSense) {
  const int count = lst.ListCount();
  for (int i = 0; i < count; ++i)
    if (containsTerm(lst.List(i), sItem, CaseSense)) return;
  lst.AddItem(sItem);
}

void ReplaceEngine::FindAndReplace(const std::string& myFileName) {
  // An empty term (or one holding a line end) finds nothing, so there is nothing to open.
  if (terms_->findsNothing()) return;

  const RewriteJob job{*terms_, options_.dryRun, options_.bufferCapacity, options_.rename};
  while (true) {  // each pass is one complete attempt; Retry goes round again
    RewriteOutcome outcome;
    try {
      outcome = rewriteFile(myFileName, job, *yielder_);
    } catch (const std::bad_alloc&) {
      outcome = RewriteOutcome::failed(outOfMemoryFailure());
    }

    switch (outcome.kind) {
      case RewriteOutcome::Kind::Done:
        // Only what was written counts, so a failed file or a retried one never inflates it.
        nReplacements += outcome.replacements;
        return;
      case RewriteOutcome::Kind::Stopped:
        bAbandoned = true;
        return;
      case RewriteOutcome::Kind::Failed:
        break;
    }

    const Failure& failure = outcome.failure;
    if (!failure.isFileSystemFailure()) {
      host_.showMessage(messages::generalFailure(myFileName, failure), kStyleCritical, kApplicationTitle);
      host_.showMessage(messages::operationStopped(nReplacements), kStyleInformation, kApplicationTitle);
      bStop = true;
      return;
    }
    const int button =
        host_.showMessage(messages::fileSystemFailure(myFileName, failure), kStyleAbortRetryIgnore, kApplicationTitle);
    if (button == kButtonAbort) {
      bStop = true;
      return;
    }
    if (button != kButtonRetry) return;  // Ignore: skip this file
  }
}

void ReplaceEngine::FindFilesAPI(std::string path, const std::string& SearchStr) {
  // An empty folder text names no folder; it must never become the root of the disk.
  if (path.empty()) return;
  if (path.back() != '/') path += '/';
  walkFolder(path, NamePattern(SearchStr));
}

bool ReplaceEngine::walkFolder(const std::string& path, const NamePattern& pattern) {
  // Listed once, before any file is rewritten, so the run never meets files it creates.
  const FolderListing listing = listFolder(path);
  for (const std::string& name : listing.files) {
    if (pattern.matches(name)) FindAndReplace(path + name);
    if (!ended() && !yielder_->poll()) bAbandoned = true;
    if (ended()) return false;
  }
  if (host_.recursiveValue() != kChecked) return true;
  for (const std::string& name : listing.folders) {
    if (isVersionControlFolder(name)) continue;
    if (!walkFolder(path + name + "/", pattern)) return false;
  }
  return true;
}

}  // namespace sorvane
