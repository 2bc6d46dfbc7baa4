#include "main_window/main_window_widgets.h"

#include "main_window/check_value.h"
#include "main_window/designed_indicator_style.h"
#include "main_window/elided_path_delegate.h"
#include "main_window/elided_path_label.h"
#include "main_window/file_types_box.h"
#include "main_window/folder_views.h"
#include "main_window/frame_box.h"
#include "main_window/wrapping_check_box.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <initializer_list>
#include <type_traits>

namespace sorvane::ui {
namespace {

QComboBox* createTermBox(QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);  // only a run records a term
  box->setDuplicatesEnabled(true);
  // The text that runs is exactly the text typed: a completion would turn "ol" into "old".
  box->setCompleter(nullptr);
  return box;
}

// Calls `visit(widget, name)` with each of the widgets by reference, and its name.
template <typename Visit>
void eachNamed(MainWindowWidgets& w, Visit visit) {
  visit(w.frameFolder, "frameFolder");
  visit(w.File1, "File1");
  visit(w.Dir1, "Dir1");
  visit(w.chkRecursive, "chkRecursive");
  visit(w.cmdBrowse, "cmdBrowse");
  visit(w.lblFolder, "lblFolder");
  visit(w.frameFiles, "frameFiles");
  visit(w.chkRememberTheseFiles, "chkRememberTheseFiles");
  visit(w.cmdOpen, "cmdOpen");
  visit(w.cmdClose, "cmdClose");
  visit(w.cmdCloseAll, "cmdCloseAll");
  visit(w.lstFiles, "lstFiles");
  visit(w.optFolderFile[0], "optFolderFile0");
  visit(w.optFolderFile[1], "optFolderFile1");
  visit(w.optFolderFileGroup, "optFolderFileGroup");
  visit(w.frameControls, "frameControls");
  visit(w.cmbFileTypes, "cmbFileTypes");
  visit(w.chkCaseSensitive, "chkCaseSensitive");
  visit(w.chkWholeWord, "chkWholeWord");
  visit(w.chkRegularExpression, "chkRegularExpression");
  visit(w.cmbReplace, "cmbReplace");
  visit(w.cmbFind, "cmbFind");
  visit(w.lblFileTypes, "lblFileTypes");
  visit(w.lblFind, "lblFind");
  visit(w.lblReplace, "lblReplace");
  visit(w.cmdHelp, "cmdHelp");
  visit(w.cmdExit, "cmdExit");
  visit(w.cmdReplace, "cmdReplace");
  visit(w.cmdUndo, "cmdUndo");
  visit(w.cmdPreview, "cmdPreview");
}

}  // namespace

MainWindowWidgets findWidgets(const QWidget& window) {
  MainWindowWidgets w{};
  eachNamed(w, [&window](auto*& widget, const char* name) {
    widget = window.findChild<std::remove_reference_t<decltype(*widget)>*>(QLatin1StringView(name));
  });
  return w;
}

MainWindowWidgets createWidgets(QWidget& window) {
  MainWindowWidgets w{};
  w.frameFolder = new FrameBox(QStringLiteral("Rename All Files in this Folder"), &window);
  w.File1 = new FileList(w.frameFolder);
  w.Dir1 = new DirectoryList(w.frameFolder);
  w.chkRecursive = new QCheckBox(QStringLiteral("Find and replace text in all sub-folders"), w.frameFolder);
  w.cmdBrowse = new QPushButton(QStringLiteral("&Browse..."), w.frameFolder);
  w.lblFolder = new ElidedPathLabel(QStringLiteral("lblFolder"), w.frameFolder);
  w.lblFolder->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  w.lblFolder->setTextFormat(Qt::PlainText);

  w.frameFiles = new FrameBox(QStringLiteral("Select File(s) to Rename"), &window);
  w.chkRememberTheseFiles = new WrappingCheckBox(QStringLiteral("Remember these files"), w.frameFiles);
  w.cmdOpen = new QPushButton(QStringLiteral("&Open..."), w.frameFiles);
  w.cmdClose = new QPushButton(QStringLiteral("&Close"), w.frameFiles);
  w.cmdCloseAll = new QPushButton(QStringLiteral("Close &All"), w.frameFiles);
  w.lstFiles = new QListWidget(w.frameFiles);
  w.lstFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
  showEntriesElided(*w.lstFiles);
  showEntriesElided(*w.File1);

  w.optFolderFile[1] = new QRadioButton(QStringLiteral("Select File(s)"), &window);
  w.optFolderFile[0] = new QRadioButton(QStringLiteral("Select a Folder"), &window);
  w.optFolderFileGroup = new QButtonGroup(&window);
  w.optFolderFileGroup->addButton(w.optFolderFile[0], 0);
  w.optFolderFileGroup->addButton(w.optFolderFile[1], 1);
  w.optFolderFile[0]->setChecked(true);

  w.frameControls = new FrameBox(&window);
  w.cmbFileTypes = createFileTypesBox(w.frameControls);
  w.chkCaseSensitive = new QCheckBox(QStringLiteral("Case Sensitive"), w.frameControls);
  w.chkWholeWord = new QCheckBox(QStringLiteral("&Whole word"), w.frameControls);
  w.chkRegularExpression = new QCheckBox(QStringLiteral("Regular &expression"), w.frameControls);
  w.cmbReplace = createTermBox(w.frameControls);
  w.cmbFind = createTermBox(w.frameControls);
  w.lblFileTypes = new QLabel(QStringLiteral("Find and replace text in these files:"), w.frameControls);
  w.lblFind = new QLabel(QStringLiteral("Find every occurrence of:"), w.frameControls);
  w.lblReplace = new QLabel(QStringLiteral("Replace with:"), w.frameControls);

  w.cmdHelp = new QPushButton(QStringLiteral("&Help"), &window);
  w.cmdExit = new QPushButton(QStringLiteral("E&xit"), &window);
  w.cmdReplace = new QPushButton(QStringLiteral("&Replace"), &window);
  w.cmdUndo = new QPushButton(QStringLiteral("&Undo"), &window);
  w.cmdPreview = new QPushButton(QStringLiteral("&Preview..."), &window);
  // Enter and Esc are routed by the window; no button grabs Enter on its own.
  for (QPushButton* button :
       {w.cmdBrowse, w.cmdOpen, w.cmdClose, w.cmdCloseAll, w.cmdHelp, w.cmdExit, w.cmdReplace, w.cmdUndo,
        w.cmdPreview})
    button->setAutoDefault(false);
  for (QCheckBox* box :
       {w.chkRecursive, w.chkRememberTheseFiles, w.chkCaseSensitive, w.chkWholeWord, w.chkRegularExpression})
    keepTwoStateForUser(*box);
  auto* designedIndicators = new DesignedIndicatorStyle;
  designedIndicators->setParent(&window);
  for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{
           w.chkRecursive, w.chkRememberTheseFiles, w.chkCaseSensitive, w.chkWholeWord, w.chkRegularExpression,
           w.optFolderFile[0], w.optFolderFile[1]})
    button->setStyle(designedIndicators);
  eachNamed(w, [](QObject* widget, const char* name) { widget->setObjectName(QLatin1StringView(name)); });
  return w;
}

}  // namespace sorvane::ui
