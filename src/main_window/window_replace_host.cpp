#include "main_window/window_replace_host.h"

#include "main_window/check_value.h"
#include "main_window/folder_views.h"
#include "main_window/frm_sorvane.h"
#include "main_window/term_box.h"
#include "platform/event_pump.h"
#include "platform/message_boxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>

namespace sorvane::ui {

std::string toPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString fromEngineText(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

int ComboTermList::ListCount() const { return box_.count(); }

std::string ComboTermList::List(int index) const { return box_.itemText(index).toStdString(); }

void ComboTermList::AddItem(const std::string& item) { appendTerms(box_, {fromEngineText(item)}); }

WindowReplaceHost::WindowReplaceHost(frmSorvane& window)
    : window_(window), findTerms_(*window.cmbFind), replaceTerms_(*window.cmbReplace) {}

// Asked of the widget itself: a hidden window still has a mode.
bool WindowReplaceHost::fileFrameVisible() const { return !window_.frameFiles->isHidden(); }

bool WindowReplaceHost::folderFrameVisible() const { return !window_.frameFolder->isHidden(); }

int WindowReplaceHost::fileListCount() const { return window_.lstFiles->count(); }

std::string WindowReplaceHost::fileListItem(int index) const {
  return toPath(window_.lstFiles->item(index)->text());
}

std::string WindowReplaceHost::folderCaption() const { return toPath(window_.lblFolder->text()); }

std::string WindowReplaceHost::findText() const { return window_.cmbFind->currentText().toStdString(); }

std::string WindowReplaceHost::replaceText() const { return window_.cmbReplace->currentText().toStdString(); }

std::string WindowReplaceHost::fileTypeText() const { return window_.cmbFileTypes->currentText().toStdString(); }

CheckValue WindowReplaceHost::caseSensitiveValue() const { return checkValue(*window_.chkCaseSensitive); }

CheckValue WindowReplaceHost::recursiveValue() const { return checkValue(*window_.chkRecursive); }

MessageAnswer WindowReplaceHost::showMessage(const std::string& text, MessageStyle style, const std::string& title) {
  return window_.services().messageBoxes.show(&window_, fromEngineText(text), style, fromEngineText(title));
}

void WindowReplaceHost::processPendingEvents() { window_.services().eventPump.processPendingEvents(); }

void WindowReplaceHost::refreshFolderFiles() { window_.File1->Refresh(); }

void WindowReplaceHost::focusFind() { window_.cmbFind->setFocus(Qt::OtherFocusReason); }

void WindowReplaceHost::DisableControls() { window_.DisableControls(); }

void WindowReplaceHost::EnableControls() { window_.EnableControls(); }

}  // namespace sorvane::ui
