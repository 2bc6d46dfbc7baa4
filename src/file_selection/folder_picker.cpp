#include "file_selection/folder_picker.h"

#include "file_selection/lost_name.h"
#include "platform/file_dialogs.h"

namespace sorvane::file_selection {

void FolderPicker::cmdBrowse_Click() {
  const std::optional<QString> folder = dialogs_.chooseFolder(&dialogParent_, QStringLiteral("Select a folder"));
  // Cancelled, or a folder whose name did not survive the dialog: nothing changes.
  if (folder && !refusedAsLost(*folder, messageBoxes_, &dialogParent_)) target_.showFolder(*folder);
}

}  // namespace sorvane::file_selection
