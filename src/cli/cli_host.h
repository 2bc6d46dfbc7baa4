#pragma once

#include "cli/cli_options.h"
#include "cli/preview_printer.h"
#include "cli/terminal_progress.h"
#include "engine/run/host.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace sorvane::cli {

// A recent-term list that lives only for one run of the front end.
class TermList final : public RecentTermList {
 public:
  int ListCount() const override { return static_cast<int>(items_.size()); }
  std::string List(int index) const override { return items_.at(static_cast<std::size_t>(index)); }
  void AddItem(const std::string& item) override { items_.push_back(item); }

 private:
  std::vector<std::string> items_;
};

// The engine's host on a terminal: reports go to standard output, failures to standard error,
// one line each, and each failure is answered as the options say. With `showProgress`, a long
// run keeps a line of progress on standard error. With --preview, each file that holds the term
// is previewed as it is counted, in the run's order; `colour` marks the preview's texts.
class CliHost final : public ReplaceHost {
 public:
  CliHost(const CliOptions& options, std::ostream& out, std::ostream& err, bool showProgress = false,
          bool colour = false);

  bool fileFrameVisible() const override { return !options_.folder; }
  bool folderFrameVisible() const override { return options_.folder.has_value(); }
  int fileListCount() const override { return static_cast<int>(options_.files.size()); }
  std::string fileListItem(int index) const override { return options_.files.at(static_cast<std::size_t>(index)); }
  std::string folderCaption() const override { return options_.folder.value_or(""); }
  std::string findText() const override { return options_.find; }
  std::string replaceText() const override { return options_.replace; }
  std::string fileTypeText() const override { return options_.fileType; }
  CheckValue caseSensitiveValue() const override {
    return options_.ignoreCase ? CheckValue::Cleared : CheckValue::Checked;
  }
  CheckValue recursiveValue() const override { return options_.recursive ? CheckValue::Checked : CheckValue::Cleared; }
  RecentTermList& findTerms() override { return findTerms_; }
  RecentTermList& replaceTerms() override { return replaceTerms_; }

  MessageAnswer showMessage(const std::string& text, MessageStyle style, const std::string& title) override;
  MessageAnswer fileFailed(const std::string& fileName, const Failure& failure) override;
  void fileDone(const std::string& fileName, std::int64_t replacements) override;
  void folderNotListed(const std::string& folder, const Failure& failure) override;
  void processPendingEvents() override {}
  bool stopRequested() const override;
  void refreshFolderFiles() override {}
  void focusFind() override {}
  void DisableControls() override {}
  void EnableControls() override {}

  bool anyFailure() const { return anyFailure_; }
  // What the undo journal says: its own failure, or a file it cannot take back. The run's
  // outcome stays as it is.
  void journalReport(const std::string& report);
  // Clears the progress line before the program prints a line of its own.
  void eraseProgress() { progress_.erase(); }

 private:
  void reportFailure(const std::string& path, const Failure& failure);

  const CliOptions& options_;
  std::ostream& out_;
  std::ostream& err_;
  TermList findTerms_;
  TermList replaceTerms_;
  TerminalProgress progress_;
  std::optional<PreviewPrinter> preview_;
  bool anyFailure_ = false;
};

// Makes SIGINT and SIGTERM ask the run to stop, so an interrupted run leaves every file whole,
// and lets a write past a file-size limit fail as a write rather than end the program.
void installStopSignals();

}  // namespace sorvane::cli
