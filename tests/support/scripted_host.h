#pragma once

#include "engine/run/host.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace sorvane::testing {

class ScriptedTermList final : public RecentTermList {
 public:
  std::vector<std::string> items;
  int ListCount() const override { return static_cast<int>(items.size()); }
  std::string List(int index) const override { return items.at(static_cast<std::size_t>(index)); }
  void AddItem(const std::string& item) override { items.push_back(item); }
};

struct ShownMessage {
  std::string text;
  MessageStyle style;
  std::string title;
};

// A host whose window state is plain fields and whose dialogs answer from a script, recording
// everything the engine asks of it.
class ScriptedHost final : public ReplaceHost {
 public:
  bool fileMode = true;
  bool folderMode = false;
  std::vector<std::string> files;
  std::string folder;
  std::string find, replace;
  std::string fileType = kFileTypes[0].caption;
  CheckValue caseSensitive = CheckValue::Checked;
  CheckValue recursive = CheckValue::Cleared;
  ScriptedTermList findList, replaceList;

  // Answers for the Abort/Retry/Ignore dialog, in order; Ignore when the script runs out.
  std::deque<MessageAnswer> answers;
  // Runs when a dialog is shown, before it is answered (e.g. to put a missing file back).
  std::function<void(const ShownMessage&)> onMessage;
  // Runs on every yield.
  std::function<void()> onYield;
  bool stop = false;

  std::vector<ShownMessage> messages;
  std::vector<std::string> calls;  // DisableControls, EnableControls, refresh, focus
  std::vector<std::string> unlistedFolders;  // each as "PATH (number)"
  std::vector<std::string> journalReports;

  bool fileFrameVisible() const override { return fileMode; }
  bool folderFrameVisible() const override { return folderMode; }
  int fileListCount() const override { return static_cast<int>(files.size()); }
  std::string fileListItem(int index) const override { return files.at(static_cast<std::size_t>(index)); }
  std::string folderCaption() const override { return folder; }
  std::string findText() const override { return find; }
  std::string replaceText() const override { return replace; }
  std::string fileTypeText() const override { return fileType; }
  CheckValue caseSensitiveValue() const override { return caseSensitive; }
  CheckValue recursiveValue() const override { return recursive; }
  RecentTermList& findTerms() override { return findList; }
  RecentTermList& replaceTerms() override { return replaceList; }

  MessageAnswer showMessage(const std::string& text, MessageStyle style, const std::string& title) override {
    messages.push_back({text, style, title});
    if (onMessage) onMessage(messages.back());
    if (style != MessageStyle::AbortRetryIgnore) return MessageAnswer::Ok;
    if (answers.empty()) return MessageAnswer::Ignore;
    const MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void journalSaid(const std::string& report) override { journalReports.push_back(report); }
  void folderNotListed(const std::string& folder, const Failure& failure) override {
    unlistedFolders.push_back(folder + " (" + std::to_string(failure.number) + ")");
  }
  // `stop` is the window going away.
  RunCourse takeEvents() override {
    if (onYield) onYield();
    return stop ? RunCourse::Abandon : RunCourse::GoOn;
  }
  void refreshFolderFiles() override { calls.push_back("refresh"); }
  void focusFind() override { calls.push_back("focus"); }
  void DisableControls() override { calls.push_back("disable"); }
  void EnableControls() override { calls.push_back("enable"); }
};

}  // namespace sorvane::testing
