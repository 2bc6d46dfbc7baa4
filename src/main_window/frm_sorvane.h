#pragma once

#include "engine/run/replace_command.h"
#include "file_selection/folder_picker.h"
#include "journal/next_run.h"
#include "main_window/form_layout.h"
#include "main_window/main_window_widgets.h"
#include "main_window/run_notes.h"
#include "platform/common_dialog.h"
#include "platform/outer_geometry.h"
#include "platform/services.h"

#include <QComboBox>
#include <QPointer>
#include <QWidget>
#include <array>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

namespace sorvane {
namespace file_selection {
class FileListCommands;
}
namespace journal {
class RunRecorder;
}
namespace settings {
class SettingsStore;
struct WindowPicture;
}  // namespace settings
namespace viewer {
class FileViewer;
}
}  // namespace sorvane

namespace sorvane::ui {

class WindowReplaceHost;

// The main window. Its widgets are placed in twips by Form_Resize; its collaborators (the file
// list's commands, the folder picker, the viewer, the replace run) each get the widgets or the
// small interface they use.
class frmSorvane final : public QWidget, private file_selection::FolderTarget {
  Q_OBJECT
 public:
  // The window keeps its settings in `store`: start-up reads them, the exit routine writes them.
  // Its runs are kept in `runJournal`, when there is one, which tells the window what it could not keep.
  frmSorvane(const platform::Services& services, settings::SettingsStore& store, EngineOptions engineOptions = {},
             journal::RunRecorder* runJournal = nullptr, QWidget* parent = nullptr);
  ~frmSorvane() override;

  // Start-up: restores the window as the user left it and shows it. Every step that fails (a
  // value that does not convert, a folder that is gone) is skipped without a message.
  void Form_Load();

  // The window's outer size (frame and title bar included), in twips.
  Twips outerWidth() const { return outer_.width(); }
  Twips outerHeight() const { return outer_.height(); }
  void setOuterSize(Twips width, Twips height) { outer_.resize(width, height); }
  // The geometry Form_Resize last applied, in twips.
  const MainWindowGeometry& layout() const { return geometry_; }
  sorvane::MousePointer MousePointer() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool routeEnter(const QKeyEvent& event);  // whether it was Enter, now pressed on the button it belongs to
  friend class WindowReplaceHost;  // the window's side of a run

  // Handlers.
  void Form_Resize();
  void optFolderFile_Click(int Index);
  void cmbFind_GotFocus();
  void cmbReplace_GotFocus();
  void cmdHelp_Click();
  void cmdReplace_Click();
  void cmdUndo_Click();
  void cmdPreview_Click();
  void cmdExit_Click();
  // Enables Undo when a run can be taken back and none is under way, its tooltip naming the run.
  void showRunToUndo();
  void showRunToUndo(const std::optional<journal::NextRun>& run);  // as the journal was just read
  // Runs `replace`, then, unless the window is going away, tells what the run's report does not:
  // folders it could not read, and what of it cannot be taken back.
  void replaceAndTell(const std::function<void()>& replace);
  void DisableControls();
  void EnableControls();
  // After a refused run: the focus goes to `box`, its text selected from the fault's byte offset.
  void showTermsFault(QComboBox& box, std::size_t offset);
  // Selects what showTermsFault asked for in `box`, until the box is left; false when it asked
  // nothing of it.
  bool selectTermsFault(QComboBox& box);

  void connectHandlers();
  // Shows the frame of one mode, hides the other and sizes the controls frame to match.
  void applyModeLayout(bool folderMode);
  // Turns one option button on or off as a stored value says; both may end up off.
  void setOptionValue(int index, bool on);
  // The folder of folder mode, in the label, its tooltip and the two display lists.
  void showFolder(const QString& folder) override;
  std::array<QWidget*, 18> runSensitiveControls() const;
  void restoreSize(const settings::WindowPicture& saved);
  void restoreControls(const settings::WindowPicture& saved);
  settings::WindowPicture picture() const;
  void saveSettings();

  platform::Services services_;
  settings::SettingsStore& store_;
  MainWindowWidgets widgets_{};
  platform::CommonDialog CommonDialog1;
  MainWindowGeometry geometry_ = MainWindowGeometry::designed();
  platform::OuterGeometry outer_{*this};
  std::unique_ptr<WindowReplaceHost> replaceHost_;
  std::unique_ptr<ReplaceCommand> replaceCommand_;
  std::unique_ptr<file_selection::FileListCommands> fileList_;
  std::unique_ptr<file_selection::FolderPicker> folderPicker_;
  std::unique_ptr<viewer::FileViewer> viewer_;
  journal::RunRecorder* journal_;
  std::string journalHome_;  // where the runs the Undo button takes back are kept
  journal::NextRunReader nextRun_;
  RunNotes notes_;  // of the run under way, or the last one
  bool runBegan_ = false;
  bool runUnderWay_ = false;
  timespec lastRunAsked_{};   // when the last run was asked for, before the journal knew of it
  bool lastRunUnkept_ = false;  // the journal kept nothing of it
  bool exiting_ = false;
  QPointer<QWidget> focusBeforeRun_;
  struct FaultSelection {
    QComboBox* box = nullptr;
    int from = 0;
  } faultSelection_;
};

}  // namespace sorvane::ui
