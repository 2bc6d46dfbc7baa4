#include "main_window/window_replace_host.h"

#include "main_window/check_value.h"
#include "main_window/file_types_box.h"
#include "main_window/folder_views.h"
#include "main_window/frm_sorvane.h"
#include "main_window/replace_progress.h"
#include "main_window/term_box.h"
#include "platform/event_pump.h"
#include "platform/message_boxes.h"
#include "platform/file_names.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>

namespace sorvane::ui {
namespace {

// Texts travel to and from the engine as UTF-8.
QString fromEngineText(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

int ComboTermList::ListCount() const { return box_.count(); }

std::string ComboTermList::List(int index) const { return box_.itemText(index).toStdString(); }

void ComboTermList::AddItem(const std::string& item) { appendTerms(box_, {fromEngineText(item)}); }

WindowReplaceHost::WindowReplaceHost(frmSorvane& window)
    : window_(window),
      widgets_(window.widgets_),
      findTerms_(*widgets_.cmbFind),
      replaceTerms_(*widgets_.cmbReplace) {}

WindowReplaceHost::~WindowReplaceHost() = default;

// Asked of the widget itself: a hidden window still has a mode.
bool WindowReplaceHost::fileFrameVisible() const { return !widgets_.frameFiles->isHidden(); }

bool WindowReplaceHost::folderFrameVisible() const { return !widgets_.frameFolder->isHidden(); }

int WindowReplaceHost::fileListCount() const { return widgets_.lstFiles->count(); }

std::string WindowReplaceHost::fileListItem(int index) const {
  return platform::fileSystemPath(widgets_.lstFiles->item(index)->text());
}

std::string WindowReplaceHost::folderCaption() const { return platform::fileSystemPath(widgets_.lblFolder->text()); }

std::string WindowReplaceHost::findText() const { return widgets_.cmbFind->currentText().toStdString(); }

std::string WindowReplaceHost::replaceText() const { return widgets_.cmbReplace->currentText().toStdString(); }

std::string WindowReplaceHost::fileTypeText() const { return widgets_.cmbFileTypes->currentText().toStdString(); }

CheckValue WindowReplaceHost::caseSensitiveValue() const { return checkValue(*widgets_.chkCaseSensitive); }

CheckValue WindowReplaceHost::wholeWordValue() const { return checkValue(*widgets_.chkWholeWord); }

CheckValue WindowReplaceHost::regularExpressionValue() const { return checkValue(*widgets_.chkRegularExpression); }

CheckValue WindowReplaceHost::recursiveValue() const { return checkValue(*widgets_.chkRecursive); }

MessageAnswer WindowReplaceHost::showMessage(const std::string& text, MessageStyle style, const std::string& title) {
  return window_.services_.messageBoxes.show(&window_, fromEngineText(text), style, fromEngineText(title));
}

RunCourse WindowReplaceHost::takeEvents() {
  window_.services_.eventPump.processPendingEvents();
  return closing_ ? RunCourse::Abandon : stopPressed_ ? RunCourse::Stop : RunCourse::GoOn;
}

void WindowReplaceHost::runBegins(int files) {
  stopPressed_ = false;
  window_.runBegan_ = true;
  progress_ = std::make_unique<ReplaceProgress>(window_, files, [this] { stopPressed_ = true; });
}

// Named once the run has been reported.
void WindowReplaceHost::folderNotListed(const std::string& folder, const Failure& failure) {
  window_.notes_.folderNotListed(folder, failure);
}

void WindowReplaceHost::fileDone(const std::string& fileName, std::int64_t replacements) {
  progress_->fileDone(platform::shownPath(fileName), replacements);
}

// Said once the run has been reported.
void WindowReplaceHost::journalSaid(const std::string& report) { window_.notes_.journalSaid(report); }

// Before the report: the report is the run's last word.
void WindowReplaceHost::runEnds() { progress_.reset(); }

void WindowReplaceHost::refreshFolderFiles() { widgets_.File1->Refresh(); }

void WindowReplaceHost::focusFind() { widgets_.cmbFind->setFocus(Qt::OtherFocusReason); }

void WindowReplaceHost::showTermsFault(const TermsFault& fault) {
  window_.showTermsFault(fault.inReplace ? *widgets_.cmbReplace : *widgets_.cmbFind, fault.error.offset);
}

void WindowReplaceHost::focusFileTypes() {
  // The box stays on during a run; the controls that come back on do not take the focus from it.
  window_.focusBeforeRun_ = widgets_.cmbFileTypes;
  widgets_.cmbFileTypes->setFocus(Qt::OtherFocusReason);
}

void WindowReplaceHost::recordFileMasks(const std::string& masks) {
  ui::recordFileMasks(*widgets_.cmbFileTypes, fromEngineText(masks));
}

void WindowReplaceHost::DisableControls() { window_.DisableControls(); }

void WindowReplaceHost::EnableControls() { window_.EnableControls(); }

}  // namespace sorvane::ui
