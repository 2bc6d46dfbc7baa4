#pragma once

#include "engine/run/host.h"
#include "main_window/main_window_widgets.h"

#include <QString>
#include <memory>

class QComboBox;

namespace sorvane::ui {

class frmSorvane;
class ReplaceProgress;

// A recent-term list kept in the items of an editable combo box.
class ComboTermList final : public RecentTermList {
 public:
  explicit ComboTermList(QComboBox& box) : box_(box) {}
  int ListCount() const override;
  std::string List(int index) const override;
  void AddItem(const std::string& item) override;

 private:
  QComboBox& box_;
};

// The replace engine's view of the main window: it reads the widgets as they are, and shows
// dialogs and yields through the platform layer.
class WindowReplaceHost final : public ReplaceHost {
 public:
  explicit WindowReplaceHost(frmSorvane& window);
  ~WindowReplaceHost() override;

  bool fileFrameVisible() const override;
  bool folderFrameVisible() const override;
  int fileListCount() const override;
  std::string fileListItem(int index) const override;
  std::string folderCaption() const override;
  std::string findText() const override;
  std::string replaceText() const override;
  std::string fileTypeText() const override;
  CheckValue caseSensitiveValue() const override;
  CheckValue wholeWordValue() const override;
  CheckValue regularExpressionValue() const override;
  CheckValue recursiveValue() const override;
  RecentTermList& findTerms() override { return findTerms_; }
  RecentTermList& replaceTerms() override { return replaceTerms_; }
  MessageAnswer showMessage(const std::string& text, MessageStyle style, const std::string& title) override;
  RunCourse takeEvents() override;
  void runBegins(int files) override;
  void folderNotListed(const std::string& folder, const Failure& failure) override;
  void fileDone(const std::string& fileName, std::int64_t replacements) override;
  void journalSaid(const std::string& report) override;
  void runEnds() override;
  void refreshFolderFiles() override;
  void focusFind() override;
  void showTermsFault(const TermsFault& fault) override;
  void focusFileTypes() override;
  void recordFileMasks(const std::string& masks) override;
  void DisableControls() override;
  void EnableControls() override;

  // Asks a run under way to end at its next yield, without a report: the program is closing.
  void abandonRun() { closing_ = true; }

 private:
  frmSorvane& window_;
  const MainWindowWidgets& widgets_;
  ComboTermList findTerms_;
  ComboTermList replaceTerms_;
  bool closing_ = false;
  bool stopPressed_ = false;
  std::unique_ptr<ReplaceProgress> progress_;  // while a run is under way
};

}  // namespace sorvane::ui
