#include "main_window/frm_sorvane.h"
#include "platform/event_pump.h"
#include "platform/file_dialogs.h"
#include "platform/help_window.h"
#include "platform/message_boxes.h"
#include "settings/settings_store.h"

#include <QApplication>
#include <csignal>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  ::signal(SIGXFSZ, SIG_IGN);  // past a file-size limit a rewrite fails and is reported instead
  QApplication::setApplicationName(QString::fromLatin1(sorvane::kApplicationTitle));

  sorvane::platform::QtMessageBoxes messageBoxes;
  sorvane::platform::QtEventPump eventPump;
  sorvane::platform::HelpWindowEngine helpEngine;
  sorvane::platform::QtFileDialogs fileDialogs;
  sorvane::settings::SettingsStore store = sorvane::settings::SettingsStore::forCurrentUser();
  sorvane::ui::frmSorvane window({messageBoxes, eventPump, helpEngine, fileDialogs}, store);
  window.Form_Load();
  return QApplication::exec();
}
