#pragma once

#include "engine/run/run_request.h"
#include "engine/run/engine_options.h"
#include "platform/services.h"
#include "preview_window/preview_search.h"

#include <QDialog>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <string>

class QLabel;
class QPushButton;
class QTreeView;

namespace sorvane::settings {
class SettingsStore;
}

namespace sorvane::viewer {
class FileViewer;
}

namespace sorvane::preview {

class PreviewModel;

// The Preview window: modal over the main window, it searches the request's files on a thread of
// its own, as a dry run meets them, and lists every occurrence as it is found, each file and each occurrence with its box.
// Replace hands the checked ones back to the main window's run; Close writes nothing.
class frmPreview final : public QDialog {
  Q_OBJECT
 public:
  static constexpr std::int64_t kListedOccurrences = 100000;

  // It takes the size and column widths it had when last closed from `store`, and keeps them there.
  frmPreview(RunRequest request, EngineOptions options, const platform::Services& services,
             settings::SettingsStore& store, QWidget* owner, std::int64_t listedOccurrences = kListedOccurrences);
  ~frmPreview() override;

  // Its widgets, for tests, which drive them as a user would.
  QTreeView* lstOccurrences;
  QLabel* lblStatus;  // the progress line, then the totals
  QLabel* lblBound;   // says when not every occurrence is listed
  QPushButton* cmdStop;
  QPushButton* cmdReplace;
  QPushButton* cmdClose;
  PreviewModel& model() const { return *model_; }
  viewer::FileViewer& viewer() const { return *viewer_; }
  bool searching() const { return search_ != nullptr; }

 signals:
  // The user pressed Replace: the window closes, and the run is the main window's.
  void replaceChosen(const sorvane::RunRequest& run);

 protected:
  void done(int result) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void layOut();
  void fitLineColumn();
  // The search found more, or ended: taken now, or once kTakesApart has passed since the last take.
  void searchNews();
  void takeFound();
  void searchEnded();
  void enableReplace();
  // How far the search is, the totals, what Replace leaves unseen, and the file being searched.
  void showStatus();
  void openViewer(const QModelIndex& index);
  std::string foundUnder() const;  // the folder searched; none for a list of files
  // Asks whether to replace in the files a stopped search found; true on Yes.
  bool replaceAfterStop();
  void cmdReplace_Click();

  const RunRequest request_;
  platform::MessageBoxes& messageBoxes_;
  platform::HelpEngine& helpEngine_;
  settings::SettingsStore& store_;
  PreviewModel* model_;
  std::unique_ptr<viewer::FileViewer> viewer_;
  std::unique_ptr<PreviewSearch> search_;  // while it searches
  QTimer progress_;  // the progress line, while it searches
  QTimer takeLater_;  // running while a take is too recent for the next
  bool newsWaiting_ = false;
  // How the search ended: stopped before its end, after how many files, at which.
  bool endedEarly_ = false;
  std::int64_t filesSearched_ = 0;
  std::int64_t binaryPassedOver_ = 0;  // by the search, once it has ended
  std::string lastSearched_;
};

}  // namespace sorvane::preview
