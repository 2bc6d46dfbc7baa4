#pragma once

#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QWidget;

namespace sorvane::ui {

class DirectoryList;
class FileList;

// The widgets of the main window by their names, in the order the window creates them.
struct MainWindowWidgets {
  QGroupBox* frameFolder;
  FileList* File1;
  DirectoryList* Dir1;
  QCheckBox* chkRecursive;
  QPushButton* cmdBrowse;
  QLabel* lblFolder;
  QGroupBox* frameFiles;
  QCheckBox* chkRememberTheseFiles;
  QPushButton* cmdOpen;
  QPushButton* cmdClose;
  QPushButton* cmdCloseAll;
  QListWidget* lstFiles;
  std::array<QRadioButton*, 2> optFolderFile;  // 0 folder mode, 1 file mode
  QButtonGroup* optFolderFileGroup;
  QGroupBox* frameControls;
  QComboBox* cmbFileTypes;
  QCheckBox* chkCaseSensitive;
  QCheckBox* chkWholeWord;          // an occurrence counts only as a whole word
  QCheckBox* chkRegularExpression;  // the find text is a pattern, the replace text a template
  QComboBox* cmbReplace;
  QComboBox* cmbFind;
  QLabel* lblFileTypes;
  QLabel* lblFind;
  QLabel* lblReplace;
  QPushButton* cmdHelp;
  QPushButton* cmdExit;
  QPushButton* cmdReplace;
  QPushButton* cmdUndo;     // takes back the newest run
  QPushButton* cmdPreview;  // shows every change before it is written
};

// Creates the widgets on `window` with their designed captions and behaviour, each named as
// above (the option buttons "optFolderFile0" and "optFolderFile1"); Form_Resize gives them
// their places.
MainWindowWidgets createWidgets(QWidget& window);
// The widgets createWidgets made on `window`, found by their names, as a test or a bench drives
// them.
MainWindowWidgets findWidgets(const QWidget& window);

}  // namespace sorvane::ui
