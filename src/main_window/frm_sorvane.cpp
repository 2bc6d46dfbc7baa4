#include "main_window/frm_sorvane.h"

#include "file_selection/file_list_commands.h"
#include "main_window/folder_views.h"
#include "main_window/pattern_marks.h"
#include "journal/history.h"
#include "journal/journal_folder.h"
#include "journal/run_recorder.h"
#include "main_window/tab_order.h"
#include "main_window/undo_newest_run.h"
#include "main_window/widget_placement.h"
#include "main_window/window_icon.h"
#include "main_window/window_replace_host.h"
#include "preview_window/frm_preview.h"
#include "platform/dialog_error.h"
#include "platform/help_file.h"
#include "platform/message_boxes.h"
#include "platform/mouse_pointer.h"
#include "platform/task_progress.h"
#include "viewer/file_viewer.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

namespace sorvane::ui {
namespace {

constexpr qreal kDialogFontPoints = 8;

bool startedBefore(const timespec& a, const timespec& b) {
  return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

// From the start to the end of the text, so a term can be overtyped at once.
void selectWholeText(QComboBox& box) {
  QLineEdit* edit = box.lineEdit();
  edit->setSelection(0, static_cast<int>(edit->text().length()));
}

}  // namespace

frmSorvane::frmSorvane(const platform::Services& services, settings::SettingsStore& store,
                       EngineOptions engineOptions, journal::RunRecorder* runJournal, QWidget* parent)
    : QWidget(parent),
      services_(services),
      store_(store),
      CommonDialog1(services.helpEngine, services.fileDialogs, this),
      journal_(runJournal),
      journalHome_(journal::defaultStateHome()) {
  setObjectName(QStringLiteral("frmSorvane"));
  setWindowTitle(QString::fromLatin1(kApplicationTitle));
  setWindowIcon(ui::windowIcon());  // the program's icon, not QWidget::windowIcon()
  // The geometry is designed for a small dialog font; the desktop's larger default would clip.
  QFont dialogFont = font();
  dialogFont.setPointSizeF(kDialogFontPoints);
  setFont(dialogFont);
  widgets_ = createWidgets(*this);
  setDesignedTabOrder(widgets_);
  resize(toPixels(kDesignedClientWidth), toPixels(kDesignedClientHeight));
  placeWidgets(widgets_, geometry_);
  replaceHost_ = std::make_unique<WindowReplaceHost>(*this);
  engineOptions.undoRecord = journal_;
  replaceCommand_ = std::make_unique<ReplaceCommand>(*replaceHost_, engineOptions);
  fileList_ = std::make_unique<file_selection::FileListCommands>(*widgets_.lstFiles, CommonDialog1, store, services);
  file_selection::FolderTarget& folderTarget = *this;
  folderPicker_ = std::make_unique<file_selection::FolderPicker>(folderTarget, services.fileDialogs,
                                                                 services.messageBoxes, *this);
  viewer_ = std::make_unique<viewer::FileViewer>(*widgets_.lstFiles, services);
  new PatternMarks(widgets_, this);  // the window owns it
  connectHandlers();
}

frmSorvane::~frmSorvane() {
}

void frmSorvane::connectHandlers() {
  const MainWindowWidgets& w = widgets_;
  connect(w.optFolderFileGroup, &QButtonGroup::idClicked, this, &frmSorvane::optFolderFile_Click);
  connect(w.cmdHelp, &QPushButton::clicked, this, &frmSorvane::cmdHelp_Click);
  connect(w.cmdReplace, &QPushButton::clicked, this, &frmSorvane::cmdReplace_Click);
  connect(w.cmdExit, &QPushButton::clicked, this, &frmSorvane::cmdExit_Click);
  connect(w.cmdUndo, &QPushButton::clicked, this, &frmSorvane::cmdUndo_Click);
  connect(w.cmdPreview, &QPushButton::clicked, this, &frmSorvane::cmdPreview_Click);
  connect(w.cmdBrowse, &QPushButton::clicked, this, [this] { folderPicker_->cmdBrowse_Click(); });
  connect(w.cmdOpen, &QPushButton::clicked, fileList_.get(), &file_selection::FileListCommands::cmdOpen_Click);
  connect(w.cmdClose, &QPushButton::clicked, fileList_.get(), &file_selection::FileListCommands::cmdClose_Click);
  connect(w.cmdCloseAll, &QPushButton::clicked, fileList_.get(),
          &file_selection::FileListCommands::cmdCloseAll_Click);
  w.cmbFind->installEventFilter(this);
  w.cmbReplace->installEventFilter(this);
  // Some platform themes let Enter press the focused check box or option button; here it stays the window's.
  for (QAbstractButton* button : findChildren<QAbstractButton*>()) button->installEventFilter(this);
}

void frmSorvane::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  outer_.frameReported();
}

void frmSorvane::Form_Resize() {
  const WindowState state = isMinimized()   ? WindowState::Minimized
                            : isMaximized() ? WindowState::Maximized
                                            : WindowState::Normal;
  geometry_ = ui::Form_Resize(geometry_, outerWidth(), outerHeight(), state);
  placeWidgets(widgets_, geometry_);
}

void frmSorvane::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Form_Resize();
}

void frmSorvane::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) Form_Resize();
  // A run from the command line, or an undo from the launcher, may have changed what Undo takes
  // back; not in the middle of a run, when Undo stays off.
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && !runUnderWay_) showRunToUndo();
}

void frmSorvane::optFolderFile_Click(int) {
  if (widgets_.optFolderFile[0]->isChecked())
    applyModeLayout(true);
  else if (widgets_.optFolderFile[1]->isChecked())
    applyModeLayout(false);
}

void frmSorvane::applyModeLayout(bool folderMode) {
  widgets_.frameFolder->setVisible(folderMode);
  widgets_.frameFiles->setVisible(!folderMode);
  geometry_.frameControls.Height = folderMode ? kControlsHeightFolderMode : kControlsHeightFileMode;
  place(*widgets_.frameControls, geometry_.frameControls);
  widgets_.lblFileTypes->setVisible(folderMode);
  widgets_.cmbFileTypes->setVisible(folderMode);
}

void frmSorvane::setOptionValue(int index, bool on) {
  widgets_.optFolderFileGroup->setExclusive(false);  // an exclusive group will not let its button go off
  widgets_.optFolderFile[index]->setChecked(on);
  if (on) widgets_.optFolderFile[1 - index]->setChecked(false);
  widgets_.optFolderFileGroup->setExclusive(true);
}

void frmSorvane::showFolder(const QString& folder) {
  widgets_.lblFolder->setText(folder);
  widgets_.lblFolder->setToolTip(folder);
  widgets_.Dir1->setPath(folder);
  widgets_.File1->setPath(folder);
}

void frmSorvane::cmbFind_GotFocus() {
  if (!selectTermsFault(*widgets_.cmbFind)) selectWholeText(*widgets_.cmbFind);
}

void frmSorvane::cmbReplace_GotFocus() {
  if (!selectTermsFault(*widgets_.cmbReplace)) selectWholeText(*widgets_.cmbReplace);
}

void frmSorvane::showTermsFault(QComboBox& box, std::size_t offset) {
  faultSelection_ = {&box, static_cast<int>(QString::fromUtf8(box.currentText().toUtf8().left(offset)).size())};
  if (box.hasFocus())
    selectTermsFault(box);
  else if (runUnderWay_)
    focusBeforeRun_ = &box;  // the controls come back on, and the focus goes there with them
  else
    box.setFocus(Qt::OtherFocusReason);
}

bool frmSorvane::selectTermsFault(QComboBox& box) {
  if (faultSelection_.box != &box) return false;
  const int from = std::min(faultSelection_.from, static_cast<int>(box.currentText().size()));
  box.lineEdit()->setSelection(from, static_cast<int>(box.currentText().size()) - from);
  return true;
}

bool frmSorvane::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && qobject_cast<QAbstractButton*>(watched) &&
      routeEnter(static_cast<const QKeyEvent&>(*event)))
    return true;
  // The fault stays selected while the focus settles; once the box is left, it is forgotten.
  if (event->type() == QEvent::FocusOut && watched == faultSelection_.box) faultSelection_ = {};
  if (event->type() == QEvent::FocusIn) {
    // After the event: a mouse press that gave the focus places the cursor first.
    if (watched == widgets_.cmbFind) QTimer::singleShot(0, this, &frmSorvane::cmbFind_GotFocus);
    if (watched == widgets_.cmbReplace) QTimer::singleShot(0, this, &frmSorvane::cmbReplace_GotFocus);
  }
  return QWidget::eventFilter(watched, event);
}

void frmSorvane::cmdHelp_Click() {
  CommonDialog1.CancelError = true;
  try {
    CommonDialog1.HelpFile = platform::helpFilePath();
    CommonDialog1.HelpCommand = platform::kHelpContents;
    CommonDialog1.ShowHelp();
  } catch (const platform::DialogError&) {
    // Help that cannot be shown ends the command without a message.
  }
}

void frmSorvane::cmdReplace_Click() {
  replaceAndTell([this] { replaceCommand_->cmdReplace_Click(); });
}

void frmSorvane::replaceAndTell(const std::function<void()>& replace) {
  timespec asked{};
  ::clock_gettime(CLOCK_REALTIME, &asked);
  notes_.clear();
  runBegan_ = false;
  replace();
  if (!runBegan_ || replaceCommand_->outcome().abandoned) return;
  // This run is the next to undo when the journal kept any of it; else the one named is older.
  const std::optional<journal::NextRun> next = nextRun_.read(journalHome_);
  const bool anyKept = next && !startedBefore(next->started, asked);
  lastRunAsked_ = asked;
  lastRunUnkept_ = notes_.journalFailed() && !anyKept;
  const QString message = notes_.message(anyKept);
  if (!message.isEmpty())
    services_.messageBoxes.show(this, message, MessageStyle::Critical, QString::fromLatin1(kApplicationTitle));
  showRunToUndo(next);
}

void frmSorvane::cmdUndo_Click() {
  DisableControls();
  platform::QtTaskProgress progress(this);
  undoNewestRun(this, services_.messageBoxes, progress, journalHome_);
  EnableControls();
}

void frmSorvane::cmdPreview_Click() {
  if (!replaceCommand_->checkInputsAndRecordTerms()) return;
  RunRequest request = replaceCommand_->requestFromWindow();
  // Searched on the preview's own thread, which never touches a widget.
  if (auto* list = std::get_if<sorvane::FileList>(&request.over)) *list = list->asListedNow();
  auto* preview = new preview::frmPreview(std::move(request), replaceCommand_->options(), services_, store_, this);
  preview->setAttribute(Qt::WA_DeleteOnClose);
  // The run starts once the preview has closed, as if Replace had been pressed in this window.
  connect(preview, &preview::frmPreview::replaceChosen, this, [this](const RunRequest& run) {
    QTimer::singleShot(0, this, [this, run] { replaceAndTell([this, &run] { replaceCommand_->replacePreviewed(run); }); });
  });
  preview->open();
}

void frmSorvane::showRunToUndo() { showRunToUndo(nextRun_.read(journalHome_)); }

void frmSorvane::showRunToUndo(const std::optional<journal::NextRun>& run) {
  widgets_.cmdUndo->setEnabled(run.has_value() && !runUnderWay_);
  QString tip = run ? QString::fromStdString("Take back " + run->subject) : QStringLiteral("Nothing to undo");
  // So that the run named is not taken for the one the journal could not keep.
  if (lastRunUnkept_ && (!run || startedBefore(run->started, lastRunAsked_)))
    tip += QStringLiteral("\n(The last run cannot be taken back.)");
  widgets_.cmdUndo->setToolTip(tip);
}

// The controls that could start another run or change its inputs, in the order they switch.
std::array<QWidget*, 18> frmSorvane::runSensitiveControls() const {
  const MainWindowWidgets& w = widgets_;
  return {w.lstFiles,   w.cmdOpen,    w.cmdClose,   w.cmdCloseAll,      w.lblFolder,    w.cmdBrowse,
          w.chkRecursive, w.lblFind,  w.lblReplace, w.cmbFind,          w.cmbReplace,   w.chkCaseSensitive,
          w.chkWholeWord, w.chkRegularExpression, w.cmdHelp, w.cmdReplace, w.cmdExit, w.cmdPreview};
}

void frmSorvane::DisableControls() {
  focusBeforeRun_ = focusWidget();
  runUnderWay_ = true;
  for (QWidget* control : runSensitiveControls()) control->setEnabled(false);
  widgets_.cmdUndo->setEnabled(false);
  platform::setMousePointer(*this, MousePointer::Hourglass);
}

// Disabling the focused control moved the focus on; it goes back where the run found it.
void frmSorvane::EnableControls() {
  runUnderWay_ = false;
  for (QWidget* control : runSensitiveControls()) control->setEnabled(true);
  showRunToUndo();
  platform::setMousePointer(*this, MousePointer::Default);
  if (focusBeforeRun_ != nullptr && focusBeforeRun_->isEnabled() && focusBeforeRun_->isVisibleTo(this))
    focusBeforeRun_->setFocus(Qt::OtherFocusReason);
}

sorvane::MousePointer frmSorvane::MousePointer() const { return platform::mousePointer(*this); }

// Every way of closing the window is the Exit command.
void frmSorvane::closeEvent(QCloseEvent* event) {
  cmdExit_Click();
  event->accept();
}

void frmSorvane::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  outer_.frameReported();
  const QScreen* screen = this->screen();
  outer_.centreOnFirstShow(screen != nullptr ? screen->availableGeometry() : QRect());
}

bool frmSorvane::routeEnter(const QKeyEvent& event) {
  const bool plain = (event.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  if (!plain || (event.key() != Qt::Key_Return && event.key() != Qt::Key_Enter)) return false;
  // A focused button takes Enter for itself; otherwise Replace is the default button.
  auto* focused = qobject_cast<QPushButton*>(focusWidget());
  QPushButton* target = focused ? focused : widgets_.cmdReplace;
  if (target->isEnabled()) target->click();
  return true;
}

void frmSorvane::keyPressEvent(QKeyEvent* event) {
  if (routeEnter(*event)) return;
  const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  if (plain && event->key() == Qt::Key_Escape) {
    if (widgets_.cmdExit->isEnabled()) widgets_.cmdExit->click();
    return;
  }
  if (plain && event->key() == Qt::Key_F1 && widgets_.cmdHelp->isEnabled()) {
    cmdHelp_Click();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace sorvane::ui
