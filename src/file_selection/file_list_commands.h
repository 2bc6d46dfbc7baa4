#pragma once

#include "platform/services.h"

#include <QObject>
#include <QString>
#include <QStringList>

class QListWidget;

namespace sorvane::platform {
class CommonDialog;
}
namespace sorvane::settings {
class SettingsStore;
}

namespace sorvane::file_selection {

// The open dialog's filters, as the dialog component takes them.
extern const QString kOpenFilter;

// The file list's commands: Open, Close, Close All and dropping files onto the list. Built on
// the list, it takes the drops itself; its messages have the list's window for their parent.
class FileListCommands final : public QObject {
  Q_OBJECT
 public:
  FileListCommands(QListWidget& list, platform::CommonDialog& dialog, settings::SettingsStore& store,
                   const platform::Services& services);

  void cmdOpen_Click();
  void cmdClose_Click();
  void cmdCloseAll_Click();
  // Adds each dropped name that is a plain, visible file, in order.
  void lstFiles_OLEDragDrop(const QStringList& droppedFiles);

  void AddListItem(const QString& NewListItem);
  int CheckForListDuplicate(const QString& NewListItem) const;

  static constexpr int kDuplicate = 99999;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Adds a chosen file unless its name did not survive the dialog.
  void addChosen(const QString& path);
  void showOpenFailure(int number, const QString& source, const QString& description);

  QListWidget& list_;
  platform::CommonDialog& dialog_;
  settings::SettingsStore& store_;
  platform::Services services_;
  bool bListWasEmpty = false;
  // Set while a batch yields to the window: no other list command may change the list then.
  bool busy_ = false;

  QString ZemPathFile;
  QString ZemPath;
  QString ZemFile;
  int ZemPreviousNull = 0;
  int ZemNextNull = 0;
};

}  // namespace sorvane::file_selection
