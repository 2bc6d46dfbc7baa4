#pragma once

#include "engine/replace_run.h"
#include "main_window/form_layout.h"
#include "platform/common_dialog.h"
#include "platform/outer_geometry.h"

#include <QPointer>
#include <QWidget>
#include <array>
#include <memory>

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
namespace settings {
class SettingsStore;
struct WindowPicture;
}  // namespace settings
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
  // The window keeps its settings in `store`: start-up reads them, the exit routine writes them.
  frmSorvane(WindowServices services, settings::SettingsStore& store, EngineOptions engineOptions = {},
             QWidget* parent = nullptr);
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
  // Start-up: restores the window as the user left it and shows it. Every step that fails (a
  // value that does not convert, a folder that is gone) is skipped without a message.
  void Form_Load();
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

  // The window's outer size (frame and title bar included), in twips.
  Twips outerWidth() const;
  Twips outerHeight() const;
  void setOuterSize(Twips width, Twips height);

  // The geometry Form_Resize last applied, in twips.
  const MainWindowGeometry& layout() const { return geometry_; }
  sorvane::MousePointer MousePointer() const;
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
  void setStartupTabOrder();
  // Turns one option button on or off as a stored value says; both may end up off.
  void setOptionValue(int index, bool on);
  void restoreSize(const settings::WindowPicture& saved);
  void restoreControls(const settings::WindowPicture& saved);
  settings::WindowPicture picture() const;
  void saveSettings();
  std::array<QWidget*, 15> runSensitiveControls() const;

  WindowServices services_;
  settings::SettingsStore& store_;
  MainWindowGeometry geometry_ = MainWindowGeometry::designed();
  QButtonGroup* optFolderFileGroup_ = nullptr;
  std::unique_ptr<WindowReplaceHost> replaceHost_;
  std::unique_ptr<ReplaceEngine> engine_;
  platform::OuterGeometry outer_{*this};
  bool exiting_ = false;
  QPointer<QWidget> focusBeforeRun_;
};

}  // namespace sorvane::ui
