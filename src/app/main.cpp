#include "engine/host.h"
#include "file_selection/file_list_commands.h"
#include "file_selection/folder_picker.h"
#include "journal/journal_texts.h"
#include "journal/run_recorder.h"
#include "journal/undo.h"
#include "main_window/frm_sorvane.h"
#include "platform/event_pump.h"
#include "platform/file_dialogs.h"
#include "platform/help_window.h"
#include "platform/message_boxes.h"
#include "settings/exit_routine.h"
#include "settings/settings_store.h"
#include "settings/startup.h"
#include "viewer/file_viewer.h"

#include <QApplication>
#include <QListWidget>
#include <csignal>
#include <iostream>

namespace {

// The launcher's "Undo Last Replace": takes back the newest run and says how it went, without
// the main window.
int undoLastRun(sorvane::platform::MessageBoxes& messageBoxes) {
  using namespace sorvane;
  const journal::UndoOutcome outcome = journal::undoLastRun(journal::defaultStateHome(), false);
  const journal::texts::Message message = journal::texts::undoMessage(outcome);
  messageBoxes.show(nullptr, QString::fromStdString(message.text), message.critical ? kStyleCritical : kStyleInformation,
                    QString::fromLatin1(kApplicationTitle));
  return outcome.complete() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  ::signal(SIGXFSZ, SIG_IGN);  // past a file-size limit a rewrite fails and is reported instead
  QApplication::setApplicationName(QStringLiteral("Sorvane"));

  sorvane::platform::QtMessageBoxes messageBoxes;
  if (QApplication::arguments().contains(QStringLiteral("--undo-last-run"))) return undoLastRun(messageBoxes);

  // The window's runs are journaled too; where the journal cannot be written they go on as designed.
  sorvane::journal::RunRecorder journal(sorvane::journal::defaultStateHome(), "sorvane");
  sorvane::EngineOptions engineOptions;
  engineOptions.journal = &journal;
  sorvane::platform::QtEventPump eventPump;
  sorvane::platform::HelpWindowEngine helpEngine;
  sorvane::platform::QtFileDialogs fileDialogs;
  sorvane::settings::SettingsStore store = sorvane::settings::SettingsStore::forCurrentUser();
  sorvane::ui::frmSorvane window({messageBoxes, eventPump, helpEngine, fileDialogs}, engineOptions);

  window.setExitRoutine([&window, &store] {
    sorvane::settings::saveWindowSettings(window, store);
    // The program ends whether or not its settings could be kept; the user should know why.
    if (!store.sync())
      std::cerr << "sorvane: could not save the settings to " << store.location().toStdString() << '\n';
  });
  sorvane::file_selection::FileListCommands fileList(window, store);
  sorvane::file_selection::FolderPicker folderPicker(window);
  sorvane::viewer::FileViewer viewer(window);
  QObject::connect(window.lstFiles, &QListWidget::itemDoubleClicked, &viewer,
                   &sorvane::viewer::FileViewer::lstFiles_DblClick);
  sorvane::settings::Form_Load(window, store);
  return QApplication::exec();
}
