#pragma once

#include "engine/replace_run.h"
#include "main_window/form_layout.h"
#include "platform/common_dialog.h"

#include <QPointer>
#include <QSize>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace sorvane {
namespace platform {
class EventPump;
class MessageBoxes;
}  // namespace platform
}  // namespace sorvane

namespace sorvane::ui {

class DirectoryList;
class FileList;
class WindowReplaceHost;

// The desktop services the window reaches through the platform layer; tests stand in for them.
struct WindowServices {
  platform::MessageBoxes& messageBoxes;
  platform::EventPump& eventPump;
  platform::HelpEngine& helpEngine;
  platform::FileDialogs& fileDialogs;
};

// The main window. Widgets are positioned in twips by Form_Resize; the handlers carry the
// names the rest of the program uses for them.
class frmSorvane final : public QWidget {
  Q_OBJECT
 public:
  explicit frmSorvane(WindowServices services, EngineOptions engineOptions = {}, QWidget* parent = nullptr);
  ~frmSorvane() override;

  // Widgets, in the order the window creates them.
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
  QGroupBox* frameControls;
  QComboBox* cmbFileTypes;
  QCheckBox* chkCaseSensitive;
  QComboBox* cmbReplace;
  QComboBox* cmbFind;
  QLabel* lblFileTypes;
  QLabel* lblFind;
  QLabel* lblReplace;
  QPushButton* cmdHelp;
  QPushButton* cmdExit;
  QPushButton* cmdReplace;
  platform::CommonDialog CommonDialog1;

  // Handlers.
  void Form_Resize();
  void optFolderFile_Click(int Index);
  void cmbFind_GotFocus();
  void cmbReplace_GotFocus();
  void cmdHelp_Click();
  void cmdReplace_Click();
  void cmdExit_Click();
  void DisableControls();
  void EnableControls();

  // Shows the frame of one mode, hides the other and sizes the controls frame to match.
  void applyModeLayout(bool folderMode);
  // Turns one option button on or off as a stored value says; both may end up off.
  void setOptionValue(int index, bool on);
  // What the Exit command saves before the program ends.
  void setExitRoutine(std::function<void()> routine) { exitRoutine_ = std::move(routine); }

  // The window's outer size (frame and title bar included), in twips.
  Twips outerWidth() const;
  Twips outerHeight() const;
  void setOuterSize(Twips width, Twips height);

  // The geometry Form_Resize last applied, in twips.
  const MainWindowGeometry& layout() const { return geometry_; }
  // The mouse pointer: 0 default, 11 hourglass.
  int MousePointer() const;
  WindowServices& services() { return services_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void createWidgets();
  void connectHandlers();
  void applyGeometry();
  void fitRememberCaption();
  void setDesignedTabOrder();
  std::array<QWidget*, 15> runSensitiveControls() const;
  static QString helpFilePath();
  void completeOuterSize();

  WindowServices services_;
  MainWindowGeometry geometry_ = MainWindowGeometry::designed();
  QButtonGroup* optFolderFileGroup_ = nullptr;
  std::unique_ptr<WindowReplaceHost> replaceHost_;
  std::unique_ptr<ReplaceEngine> engine_;
  bool shownBefore_ = false;
  // The outer size last asked for, in twips, and what it came to in pixels: while the window
  // keeps that pixel size it reports the twips exactly, whatever the rounding to pixels lost.
  struct RequestedOuterSize {
    Twips width;
    Twips height;
    QSize pixels;
    bool frameKnown;
  };
  std::optional<RequestedOuterSize> requestedOuterSize_;
  bool exiting_ = false;
  QPointer<QWidget> focusBeforeRun_;
  std::function<void()> exitRoutine_;
};

}  // namespace sorvane::ui
