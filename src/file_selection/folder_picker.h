#pragma once

#include <QString>

class QWidget;

namespace sorvane::platform {
class FileDialogs;
class MessageBoxes;
}

namespace sorvane::file_selection {

// Where a chosen folder is shown: the main window's folder label and lists.
class FolderTarget {
 public:
  virtual ~FolderTarget() = default;
  virtual void showFolder(const QString& folder) = 0;
};

// The Browse command: the folder of folder mode, chosen in a folder dialog over `dialogParent`.
class FolderPicker {
 public:
  FolderPicker(FolderTarget& target, platform::FileDialogs& dialogs, platform::MessageBoxes& messageBoxes,
               QWidget& dialogParent)
      : target_(target), dialogs_(dialogs), messageBoxes_(messageBoxes), dialogParent_(dialogParent) {}
  void cmdBrowse_Click();

 private:
  FolderTarget& target_;
  platform::FileDialogs& dialogs_;
  platform::MessageBoxes& messageBoxes_;
  QWidget& dialogParent_;
};

}  // namespace sorvane::file_selection
