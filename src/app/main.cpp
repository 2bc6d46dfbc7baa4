#include "file_selection/file_list_commands.h"
#include "file_selection/folder_picker.h"
#include "main_window/frm_sorvane.h"
#include "platform/event_pump.h"
#include "platform/file_dialogs.h"
#include "platform/help_window.h"
#include "platform/message_boxes.h"
#include "settings/settings_store.h"
#include "viewer/file_viewer.h"

#include <QApplication>
#include <QListWidget>
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
  sorvane::file_selection::FileListCommands fileList(window, store);
  sorvane::file_selection::FolderPicker folderPicker(window);
  sorvane::viewer::FileViewer viewer(window);
  QObject::connect(window.lstFiles, &QListWidget::itemDoubleClicked, &viewer,
                   &sorvane::viewer::FileViewer::lstFiles_DblClick);
  window.Form_Load();
  return QApplication::exec();
}
