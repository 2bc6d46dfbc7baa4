#pragma once

#include <QObject>

namespace sorvane::ui {
class frmSorvane;
}

namespace sorvane::file_selection {

// The Browse command: the folder of folder mode, chosen in a folder dialog.
class FolderPicker final : public QObject {
  Q_OBJECT
 public:
  explicit FolderPicker(ui::frmSorvane& window);
  void cmdBrowse_Click();

 private:
  ui::frmSorvane& window_;
};

}  // namespace sorvane::file_selection
