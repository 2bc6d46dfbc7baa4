#include "file_selection/folder_picker.h"

#include "main_window/folder_views.h"
#include "main_window/frm_sorvane.h"
#include "platform/file_dialogs.h"

#include <QLabel>
#include <QPushButton>

namespace sorvane::file_selection {

FolderPicker::FolderPicker(ui::frmSorvane& window) : window_(window) {
  connect(window.cmdBrowse, &QPushButton::clicked, this, &FolderPicker::cmdBrowse_Click);
}

void FolderPicker::cmdBrowse_Click() {
  const std::optional<QString> folder =
      window_.services().fileDialogs.chooseFolder(&window_, QStringLiteral("Select a folder"));
  if (!folder) return;  // cancelled: nothing changes
  window_.lblFolder->setText(*folder);
  window_.lblFolder->setToolTip(*folder);
  window_.Dir1->setPath(*folder);
  window_.File1->setPath(*folder);
}

}  // namespace sorvane::file_selection
