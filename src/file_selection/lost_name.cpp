#include "file_selection/lost_name.h"

#include "platform/file_names.h"
#include "platform/message_boxes.h"

namespace sorvane::file_selection {

bool refusedAsLost(const QString& path, platform::MessageBoxes& messageBoxes, QWidget* parent) {
  if (!platform::lostItsBytes(path)) return false;
  messageBoxes.show(parent,
                    QStringLiteral("'%1' cannot be used: its name is not UTF-8, and the dialog or the drop "
                                   "passed on only a likeness of it. Rename it, or choose a folder above it "
                                   "in folder mode.")
                        .arg(path),
                    MessageStyle::Critical, QString::fromLatin1(kApplicationTitle));
  return true;
}

}  // namespace sorvane::file_selection
