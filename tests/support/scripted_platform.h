#pragma once

#include "platform/dialog_error.h"
#include "platform/event_pump.h"
#include "platform/file_dialogs.h"
#include "platform/help_engine.h"
#include "platform/message_boxes.h"
#include "platform/task_progress.h"
#include "platform/services.h"
#include "qt_printers.h"

#include <QString>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace sorvane::testing {

struct ShownBox { QString text; MessageStyle style; QString title; };

// Message boxes that record what they were asked to show; a file that failed is skipped, and a
// question gets `answerToQuestions`, by default the preselected No.
class ScriptedMessageBoxes final : public platform::MessageBoxes {
 public:
  std::function<void(const ShownBox&)> onShow;
  std::vector<ShownBox> shown;
  MessageAnswer answerToQuestions = MessageAnswer::No;

  MessageAnswer show(QWidget*, const QString& text, MessageStyle style, const QString& title) override {
    shown.push_back({text, style, title});
    if (onShow) onShow(shown.back());
    if (style == MessageStyle::YesNoQuestion) return answerToQuestions;
    return style == MessageStyle::AbortRetryIgnore ? MessageAnswer::Ignore : MessageAnswer::Ok;
  }
};

// A progress window that notes what it was told.
class RecordingTaskProgress final : public platform::TaskProgress {
 public:
  int total = -1, done = -1;
  bool open = false;
  void start(const QString&, int all) override { total = all, done = 0, open = true; }
  void advance(int count) override { done = count; }
  void finish() override { open = false; }
};

class CountingEventPump final : public platform::EventPump {
 public:
  int calls = 0;
  std::function<void()> onPump;
  void processPendingEvents() override {
    ++calls;
    if (onPump) onPump();
  }
};

class RecordingHelpEngine final : public platform::HelpEngine {
 public:
  QWidget* owner = nullptr;
  QString file;
  int command = 0;
  QString key;
  bool fail = false;
  void show(QWidget* helpOwner, const QString& helpFile, int helpCommand, const QString& helpKey) override {
    if (fail) throw platform::DialogError{5, kApplicationTitle, QStringLiteral("Invalid procedure call or argument")};
    owner = helpOwner, file = helpFile, command = helpCommand, key = helpKey;
  }
};

// File and folder choosers that answer from a script: nothing scripted means cancelled.
class ScriptedFileDialogs final : public platform::FileDialogs {
 public:
  std::optional<platform::OpenFilesAnswer> nextFiles;
  std::optional<QString> nextFolder;
  std::vector<platform::OpenFilesRequest> fileRequests;
  std::vector<QString> folderTitles;

  std::optional<platform::OpenFilesAnswer> chooseFilesToOpen(QWidget*,
                                                             const platform::OpenFilesRequest& request) override {
    fileRequests.push_back(request);
    return std::exchange(nextFiles, std::nullopt);
  }
  std::optional<QString> chooseFolder(QWidget*, const QString& title) override {
    folderTitles.push_back(title);
    return std::exchange(nextFolder, std::nullopt);
  }
};

// One of each scripted service, handed out as the window and its collaborators take them.
struct ScriptedServices {
  ScriptedMessageBoxes boxes;
  CountingEventPump pump;
  RecordingHelpEngine help;
  ScriptedFileDialogs dialogs;
  platform::Services services() { return {boxes, pump, help, dialogs}; }
};

}  // namespace sorvane::testing
