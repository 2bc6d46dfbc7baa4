#include "engine/run/replace_command.h"

#include "engine/run/file_types.h"
#include "engine/run/messages.h"
#include "engine/text/term_matcher.h"

namespace sorvane {

ReplaceCommand::ReplaceCommand(ReplaceHost& host, EngineOptions options) : host_(host), run_(options) {}

bool ReplaceCommand::checkInputsAndRecordTerms() {
  // An empty folder text would name the root of the disk: no one wants that run.
  const bool fileMode = host_.fileFrameVisible();
  const bool nothingToRun =
      fileMode ? host_.fileListCount() < 1 : host_.folderFrameVisible() && host_.folderCaption().empty();
  if (nothingToRun) {
    host_.showMessage(fileMode ? messages::kEmptyFileList : messages::kNoFolderChosen, MessageStyle::Critical,
                      kApplicationTitle);
    return false;
  }
  // A pattern or template that cannot be used is refused before any file is read or any term kept.
  const SearchTerms terms = termsFromWindow();
  if (terms.pattern) {
    if (const std::optional<TermsFault> fault = EncodedTerms(terms).fault()) {
      host_.showMessage(messages::termsFault(*fault, fault->inReplace ? terms.replace : terms.find),
                        MessageStyle::Critical, kApplicationTitle);
      host_.showTermsFault(*fault);
      return false;
    }
  }
  const bool folderMode = !fileMode && host_.folderFrameVisible();
  const std::string typeText = host_.fileTypeText();
  if (folderMode) {
    if (const auto files = filesOfTypeText(typeText); const auto* fault = std::get_if<MaskFault>(&files)) {
      host_.showMessage(fault->message(), MessageStyle::Critical, kApplicationTitle);
      host_.focusFileTypes();
      return false;
    }
  }
  ListAddItem(host_.findTerms(), host_.findText(), CompareMode::Binary);
  ListAddItem(host_.replaceTerms(), host_.replaceText(), CompareMode::Binary);
  if (folderMode && !typeText.empty() && !isFileTypeCaption(typeText))
    host_.recordFileMasks(typeText);
  return true;
}

SearchTerms ReplaceCommand::termsFromWindow() const {
  return {.find = host_.findText(),
          .replace = host_.replaceText(),
          .compare = host_.caseSensitiveValue() == CheckValue::Checked ? CompareMode::Binary : CompareMode::Text,
          .pattern = host_.regularExpressionValue() == CheckValue::Checked,
          .wholeWord = host_.wholeWordValue() == CheckValue::Checked};
}

RunRequest ReplaceCommand::requestFromWindow() const {
  RunRequest request;
  request.terms = termsFromWindow();
  if (host_.fileFrameVisible()) {
    // The window's list itself, read on every pass.
    request.over = FileList{[this] { return host_.fileListCount(); },
                            [this](int index) { return host_.fileListItem(index); }};
  } else if (host_.folderFrameVisible()) {
    // Masks that cannot be used were refused before; here they take no file.
    auto files = filesOfTypeText(host_.fileTypeText());
    FilesOfType* ofType = std::get_if<FilesOfType>(&files);
    request.over = FolderRun{host_.folderCaption(), ofType ? ofType->namePattern : std::string(),
                             host_.recursiveValue() == CheckValue::Checked, ofType ? ofType->masks : FileMasks{}};
  }
  return request;
}

void ReplaceCommand::cmdReplace_Click() {
  host_.DisableControls();
  if (!checkInputsAndRecordTerms()) {
    host_.EnableControls();
    return;
  }
  runAndReport(requestFromWindow());
}

void ReplaceCommand::replacePreviewed(const RunRequest& request) {
  host_.DisableControls();
  runAndReport(request);
}

void ReplaceCommand::runAndReport(const RunRequest& request) {
  outcome_ = run_.run(request, host_);
  // Going away means no report, and no widget is touched again.
  if (outcome_.abandoned) return;
  if (std::holds_alternative<FolderRun>(request.over)) host_.refreshFolderFiles();
  host_.showMessage(messages::report(outcome_.replacements), MessageStyle::Information, kApplicationTitle);
  host_.EnableControls();
  host_.focusFind();
}

void ReplaceCommand::ListAddItem(RecentTermList& lst, const std::string& sItem, CompareMode CaseSense) {
  const int count = lst.ListCount();
  for (int i = 0; i < count; ++i)
    if (containsTerm(lst.List(i), sItem, CaseSense)) return;
  lst.AddItem(sItem);
}

}  // namespace sorvane
