#include "file_selection/folder_picker.h"

#include "platform/file_dialogs.h"

namespace sorvane::file_selection {

void FolderPicker::cmdBrowse_Click() {
  const std::optional<QString> folder = dialogs_.chooseFolder(&dialogParent_, QStringLiteral("Select a folder"));
  if (folder) target_.showFolder(*folder);  // cancelled, nothing changes
}

}  // namespace sorvane::file_selection
