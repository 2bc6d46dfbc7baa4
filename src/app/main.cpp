#include "app/undo_from_launcher.h"
#include "journal/journal_folder.h"
#include "journal/run_recorder.h"
#include "main_window/frm_sorvane.h"
#include "platform/event_pump.h"
#include "platform/file_dialogs.h"
#include "platform/help_window.h"
#include "platform/message_boxes.h"
#include "platform/task_progress.h"
#include "settings/settings_store.h"

#include <QApplication>
#include <csignal>
#include <optional>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  ::signal(SIGXFSZ, SIG_IGN);  // past a file-size limit a rewrite fails and is reported instead
  QApplication::setApplicationName(QString::fromLatin1(sorvane::kApplicationTitle));

  sorvane::platform::QtMessageBoxes messageBoxes;
  sorvane::platform::QtTaskProgress undoProgress(nullptr);  // no main window to belong to
  if (const std::optional<int> status = sorvane::app::undoFromLauncher(
          QApplication::arguments(), messageBoxes, undoProgress, sorvane::journal::defaultStateHome()))
    return *status;

  // The window's runs are journaled too; where the journal cannot be written they go on as designed.
  sorvane::journal::RunRecorder journal(sorvane::journal::defaultStateHome(), "sorvane");
  sorvane::EngineOptions engineOptions;
  // As fast as the command line: files are read and written ahead on every processor, while
  // the window's own thread keeps every dialog and puts the files in place in run order.
  engineOptions.jobs = sorvane::onlineProcessors();
  sorvane::platform::QtEventPump eventPump;
  sorvane::platform::HelpWindowEngine helpEngine;
  sorvane::platform::QtFileDialogs fileDialogs;
  sorvane::settings::SettingsStore store = sorvane::settings::SettingsStore::forCurrentUser();
  sorvane::ui::frmSorvane window({messageBoxes, eventPump, helpEngine, fileDialogs}, store, engineOptions, &journal);
  window.Form_Load();
  return QApplication::exec();
}
