#include "engine/file_types.h"
#include "main_window/frm_sorvane.h"
#include "platform/event_pump.h"
#include "platform/help_window.h"
#include "platform/message_boxes.h"

#include <QApplication>
#include <QComboBox>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Sorvane"));

  sorvane::platform::QtMessageBoxes messageBoxes;
  sorvane::platform::QtEventPump eventPump;
  sorvane::platform::HelpWindowEngine helpEngine;
  sorvane::ui::frmSorvane window({messageBoxes, eventPump, helpEngine});

  for (const char* type : sorvane::kFileTypeTexts) window.cmbFileTypes->addItem(QString::fromLatin1(type));
  window.optFolderFile_Click(0);
  window.show();
  return QApplication::exec();
}
