#include "main_window/frm_sorvane.h"

#include "engine/replace_run.h"
#include "main_window/check_value.h"
#include "main_window/elided_path_delegate.h"
#include "main_window/designed_indicator_style.h"
#include "main_window/folder_views.h"
#include "main_window/frame_box.h"
#include "main_window/window_icon.h"
#include "main_window/window_frame.h"
#include "main_window/window_replace_host.h"
#include "main_window/wrapping_check_box.h"
#include "platform/dialog_error.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <initializer_list>

namespace sorvane::ui {
namespace {

constexpr Twips kControlsHeightFolderMode = 3015;
constexpr Twips kControlsHeightFileMode = 2175;
constexpr qreal kDialogFontPoints = 8;

void place(QWidget* widget, const TwipsRect& r) {
  widget->setGeometry(toPixels(r.Left), toPixels(r.Top), toPixels(r.Width), toPixels(r.Height));
}

QComboBox* createTermBox(QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);  // only a run records a term
  box->setDuplicatesEnabled(true);
  // The text that runs is exactly the text typed: a completion would turn "ol" into "old".
  box->setCompleter(nullptr);
  return box;
}

// From the start to the end of the text, so a term can be overtyped at once.
void selectWholeText(QComboBox& box) {
  QLineEdit* edit = box.lineEdit();
  edit->setSelection(0, static_cast<int>(edit->text().length()));
}

}  // namespace

frmSorvane::frmSorvane(WindowServices services, EngineOptions engineOptions, QWidget* parent)
    : QWidget(parent), CommonDialog1(services.helpEngine, services.fileDialogs, this), services_(services) {
  setObjectName(QStringLiteral("frmSorvane"));
  setWindowTitle(QStringLiteral("Sorvane"));
  setWindowIcon(ui::windowIcon());  // the program's icon, not QWidget::windowIcon()
  // The geometry is designed for a small dialog font; the desktop's larger default would clip.
  QFont dialogFont = font();
  dialogFont.setPointSizeF(kDialogFontPoints);
  setFont(dialogFont);
  createWidgets();
  setDesignedTabOrder();
  connectHandlers();
  resize(toPixels(kDesignedClientWidth), toPixels(kDesignedClientHeight));
  applyGeometry();
  replaceHost_ = std::make_unique<WindowReplaceHost>(*this);
  engine_ = std::make_unique<ReplaceEngine>(*replaceHost_, engineOptions);
}

frmSorvane::~frmSorvane() = default;

void frmSorvane::createWidgets() {
  frameFolder = new FrameBox(QStringLiteral("Rename All Files in this Folder"), this);
  File1 = new FileList(frameFolder);
  Dir1 = new DirectoryList(frameFolder);
  chkRecursive = new QCheckBox(QStringLiteral("Find and replace text in all sub-folders"), frameFolder);
  cmdBrowse = new QPushButton(QStringLiteral("&Browse..."), frameFolder);
  lblFolder = new QLabel(QStringLiteral("lblFolder"), frameFolder);
  lblFolder->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  lblFolder->setTextFormat(Qt::PlainText);

  frameFiles = new FrameBox(QStringLiteral("Select File(s) to Rename"), this);
  chkRememberTheseFiles = new WrappingCheckBox(QStringLiteral("Remember these files"), frameFiles);
  cmdOpen = new QPushButton(QStringLiteral("&Open..."), frameFiles);
  cmdClose = new QPushButton(QStringLiteral("&Close"), frameFiles);
  cmdCloseAll = new QPushButton(QStringLiteral("Close &All"), frameFiles);
  lstFiles = new QListWidget(frameFiles);
  lstFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
  showEntriesElided(*lstFiles);
  showEntriesElided(*File1);

  optFolderFile[1] = new QRadioButton(QStringLiteral("Select File(s)"), this);
  optFolderFile[0] = new QRadioButton(QStringLiteral("Select a Folder"), this);
  optFolderFileGroup_ = new QButtonGroup(this);
  optFolderFileGroup_->addButton(optFolderFile[0], 0);
  optFolderFileGroup_->addButton(optFolderFile[1], 1);
  optFolderFile[0]->setChecked(true);

  frameControls = new FrameBox(this);
  cmbFileTypes = new QComboBox(frameControls);
  chkCaseSensitive = new QCheckBox(QStringLiteral("Case Sensitive"), frameControls);
  cmbReplace = createTermBox(frameControls);
  cmbFind = createTermBox(frameControls);
  lblFileTypes = new QLabel(QStringLiteral("Find and replace text in these files:"), frameControls);
  lblFind = new QLabel(QStringLiteral("Find every occurrence of:"), frameControls);
  lblReplace = new QLabel(QStringLiteral("Replace with:"), frameControls);

  cmdHelp = new QPushButton(QStringLiteral("&Help"), this);
  cmdExit = new QPushButton(QStringLiteral("E&xit"), this);
  cmdReplace = new QPushButton(QStringLiteral("&Replace"), this);
  // Enter and Esc are routed by keyPressEvent; no button grabs Enter on its own.
  for (QPushButton* button : {cmdBrowse, cmdOpen, cmdClose, cmdCloseAll, cmdHelp, cmdExit, cmdReplace})
    button->setAutoDefault(false);
  for (QCheckBox* box : {chkRecursive, chkRememberTheseFiles, chkCaseSensitive}) keepTwoStateForUser(*box);
  auto* designedIndicators = new DesignedIndicatorStyle;
  designedIndicators->setParent(this);
  for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{
           chkRecursive, chkRememberTheseFiles, chkCaseSensitive, optFolderFile[0], optFolderFile[1]})
    button->setStyle(designedIndicators);
}

// The designed tab sequence, by tab index; labels and frames are in it but never take focus.
void frmSorvane::setDesignedTabOrder() {
  QWidget* const order[] = {cmdReplace,      cmdExit,     frameControls, cmdHelp,    optFolderFile[0],
                            optFolderFile[1], frameFiles, lstFiles,      cmdCloseAll, cmdClose,
                            cmdOpen,         frameFolder, cmdBrowse,     chkRecursive, lblFolder,
                            Dir1,            File1,       cmbFind,       cmbReplace,  chkCaseSensitive,
                            lblReplace,      lblFind,     chkRememberTheseFiles, lblFileTypes, cmbFileTypes};
  for (std::size_t i = 1; i < std::size(order); ++i)
    QWidget::setTabOrder(order[i - 1], order[i]);
}

void frmSorvane::connectHandlers() {
  connect(optFolderFileGroup_, &QButtonGroup::idClicked, this, &frmSorvane::optFolderFile_Click);
  connect(cmdHelp, &QPushButton::clicked, this, &frmSorvane::cmdHelp_Click);
  connect(cmdReplace, &QPushButton::clicked, this, &frmSorvane::cmdReplace_Click);
  connect(cmdExit, &QPushButton::clicked, this, &frmSorvane::cmdExit_Click);
  cmbFind->installEventFilter(this);
  cmbReplace->installEventFilter(this);
}

void frmSorvane::applyGeometry() {
  const MainWindowGeometry& g = geometry_;
  const std::pair<QWidget*, const TwipsRect*> widgets[] = {
      {frameFolder, &g.frameFolder},   {File1, &g.File1},
      {Dir1, &g.Dir1},                 {chkRecursive, &g.chkRecursive},
      {cmdBrowse, &g.cmdBrowse},       {lblFolder, &g.lblFolder},
      {frameFiles, &g.frameFiles},     {chkRememberTheseFiles, &g.chkRememberTheseFiles},
      {cmdOpen, &g.cmdOpen},           {cmdClose, &g.cmdClose},
      {cmdCloseAll, &g.cmdCloseAll},   {lstFiles, &g.lstFiles},
      {optFolderFile[1], &g.optFiles}, {optFolderFile[0], &g.optFolder},
      {frameControls, &g.frameControls}, {cmbFileTypes, &g.cmbFileTypes},
      {chkCaseSensitive, &g.chkCaseSensitive}, {cmbReplace, &g.cmbReplace},
      {cmbFind, &g.cmbFind},           {lblFileTypes, &g.lblFileTypes},
      {lblFind, &g.lblFind},           {lblReplace, &g.lblReplace},
      {cmdHelp, &g.cmdHelp},           {cmdExit, &g.cmdExit},
      {cmdReplace, &g.cmdReplace},
  };
  for (const auto& [widget, rect] : widgets) place(widget, *rect);
  fitRememberCaption();
}

// The caption keeps the window's font, so its lines may need more room than designed: the box
// grows downward, and rightward into the frame's margin when one word needs it.
void frmSorvane::fitRememberCaption() {
  auto& box = static_cast<WrappingCheckBox&>(*chkRememberTheseFiles);  // both made so in createWidgets
  const auto& frame = static_cast<const FrameBox&>(*frameFiles);
  box.resize(box.sizeForCaption(box.size(), frame.innerRect().right() + 1 - box.x()));
}

Twips frmSorvane::outerWidth() const {
  if (requestedOuterSize_ && requestedOuterSize_->pixels == size()) return requestedOuterSize_->width;
  return toTwips(width()) + frameExtraWidth(*this);
}

Twips frmSorvane::outerHeight() const {
  if (requestedOuterSize_ && requestedOuterSize_->pixels == size()) return requestedOuterSize_->height;
  return toTwips(height()) + frameExtraHeight(*this);
}

void frmSorvane::setOuterSize(Twips width, Twips height) {
  const QSize pixels(toPixels(width - frameExtraWidth(*this)), toPixels(height - frameExtraHeight(*this)));
  requestedOuterSize_ = RequestedOuterSize{width, height, pixels, frameKnown(*this)};
  resize(pixels);
}

// A size asked for before the window system drew the frame assumed the designed one; once the
// real frame is known the same outer size is asked for again.
void frmSorvane::completeOuterSize() {
  if (!requestedOuterSize_ || requestedOuterSize_->frameKnown || !frameKnown(*this)) return;
  if (requestedOuterSize_->pixels != size() || windowState() != Qt::WindowNoState) return;
  setOuterSize(requestedOuterSize_->width, requestedOuterSize_->height);
}

// The window system reports its frame with a move.
void frmSorvane::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  completeOuterSize();
}

void frmSorvane::Form_Resize() {
  const WindowState state = isMinimized()   ? WindowState::Minimized
                            : isMaximized() ? WindowState::Maximized
                                            : WindowState::Normal;
  geometry_ = ui::Form_Resize(geometry_, outerWidth(), outerHeight(), state);
  applyGeometry();
}

void frmSorvane::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Form_Resize();
}

void frmSorvane::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) Form_Resize();
}

void frmSorvane::optFolderFile_Click(int) {
  if (optFolderFile[0]->isChecked())
    applyModeLayout(true);
  else if (optFolderFile[1]->isChecked())
    applyModeLayout(false);
}

void frmSorvane::applyModeLayout(bool folderMode) {
  frameFolder->setVisible(folderMode);
  frameFiles->setVisible(!folderMode);
  geometry_.frameControls.Height = folderMode ? kControlsHeightFolderMode : kControlsHeightFileMode;
  place(frameControls, geometry_.frameControls);
  lblFileTypes->setVisible(folderMode);
  cmbFileTypes->setVisible(folderMode);
}

void frmSorvane::setOptionValue(int index, bool on) {
  optFolderFileGroup_->setExclusive(false);  // an exclusive group will not let its button go off
  optFolderFile[index]->setChecked(on);
  if (on) optFolderFile[1 - index]->setChecked(false);
  optFolderFileGroup_->setExclusive(true);
}

void frmSorvane::cmbFind_GotFocus() { selectWholeText(*cmbFind); }

void frmSorvane::cmbReplace_GotFocus() { selectWholeText(*cmbReplace); }

bool frmSorvane::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    // After the event: a mouse press that gave the focus places the cursor first.
    if (watched == cmbFind) QTimer::singleShot(0, this, &frmSorvane::cmbFind_GotFocus);
    if (watched == cmbReplace) QTimer::singleShot(0, this, &frmSorvane::cmbReplace_GotFocus);
  }
  return QWidget::eventFilter(watched, event);
}

// Beside the program in a build tree; in <prefix>/share/sorvane once installed, since a data
// file does not belong in bin/. When neither exists, the path beside the program is named.
QString frmSorvane::helpFilePath() {
  const QString programFolder = QCoreApplication::applicationDirPath();
  const QString beside = programFolder + QStringLiteral("/Sorvane Help.hlp");
  const QString installed = QDir::cleanPath(programFolder + QStringLiteral("/../share/sorvane/Sorvane Help.hlp"));
  return !QFileInfo::exists(beside) && QFileInfo::exists(installed) ? installed : beside;
}

void frmSorvane::cmdHelp_Click() {
  CommonDialog1.CancelError = true;
  try {
    CommonDialog1.HelpFile = helpFilePath();
    CommonDialog1.HelpCommand = platform::kHelpContents;
    CommonDialog1.ShowHelp();
  } catch (const platform::DialogError&) {
    // Help that cannot be shown ends the command without a message.
  }
}

void frmSorvane::cmdReplace_Click() { engine_->cmdReplace_Click(); }

void frmSorvane::cmdExit_Click() {
  if (exiting_) return;  // settings are written once per run
  exiting_ = true;
  if (exitRoutine_) exitRoutine_();
  replaceHost_->requestStop();  // a run under way abandons its file and ends
  QCoreApplication::quit();
}

// The controls that could start another run or change its inputs, in the order they switch.
std::array<QWidget*, 15> frmSorvane::runSensitiveControls() const {
  return {lstFiles, cmdOpen,    cmdClose,   cmdCloseAll,      lblFolder, cmdBrowse,  chkRecursive, lblFind,
          lblReplace, cmbFind, cmbReplace, chkCaseSensitive, cmdHelp,   cmdReplace, cmdExit};
}

void frmSorvane::DisableControls() {
  focusBeforeRun_ = focusWidget();
  for (QWidget* control : runSensitiveControls()) control->setEnabled(false);
  setCursor(Qt::WaitCursor);
}

// Disabling the focused control moved the focus on; it goes back where the run found it.
void frmSorvane::EnableControls() {
  for (QWidget* control : runSensitiveControls()) control->setEnabled(true);
  unsetCursor();
  if (focusBeforeRun_ != nullptr && focusBeforeRun_->isEnabled() && focusBeforeRun_->isVisibleTo(this))
    focusBeforeRun_->setFocus(Qt::OtherFocusReason);
}

int frmSorvane::MousePointer() const { return cursor().shape() == Qt::WaitCursor ? 11 : 0; }

// Every way of closing the window is the Exit command.
void frmSorvane::closeEvent(QCloseEvent* event) {
  cmdExit_Click();
  event->accept();
}

void frmSorvane::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  completeOuterSize();
  if (shownBefore_) return;
  shownBefore_ = true;
  const QScreen* screen = this->screen();
  if (screen != nullptr && windowState() == Qt::WindowNoState) {  // centred when first shown
    const QRect outer = frameGeometry();
    move(screen->availableGeometry().center() - QPoint(outer.width() / 2, outer.height() / 2));
  }
}

void frmSorvane::keyPressEvent(QKeyEvent* event) {
  const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
    // A focused button takes Enter for itself; otherwise Replace is the default button.
    auto* focused = qobject_cast<QPushButton*>(focusWidget());
    QPushButton* target = focused ? focused : cmdReplace;
    if (target->isEnabled()) target->click();
    return;
  }
  if (plain && event->key() == Qt::Key_Escape) {
    if (cmdExit->isEnabled()) cmdExit->click();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace sorvane::ui
