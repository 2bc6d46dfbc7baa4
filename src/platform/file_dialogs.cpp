#include "platform/file_dialogs.h"

#include <QDir>
#include <QFileDialog>

namespace sorvane::platform {
namespace {

// With the patterns hidden, Qt may answer with the caption alone: "Caption (*.a)" is "Caption".
int filterIndexOf(const QStringList& filters, const QString& selected) {
  for (int i = 0; i < filters.size(); ++i) {
    const QString& filter = filters[i];
    if (filter == selected || filter.left(filter.lastIndexOf(QLatin1String(" ("))) == selected) return i;
  }
  return -1;
}

}  // namespace

// Qt's own dialogs rather than the desktop's, so filters and modality behave the same on
// every desktop.
std::optional<OpenFilesAnswer> QtFileDialogs::chooseFilesToOpen(QWidget* parent, const OpenFilesRequest& request) {
  QFileDialog dialog(parent);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setDirectory(request.startFolder);
  // Each filter names its patterns in its own description; Qt would repeat them.
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilters(request.nameFilters);
  if (request.filterIndex >= 0 && request.filterIndex < request.nameFilters.size())
    dialog.selectNameFilter(request.nameFilters[request.filterIndex]);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return OpenFilesAnswer{dialog.selectedFiles(), filterIndexOf(request.nameFilters, dialog.selectedNameFilter())};
}

std::optional<QString> QtFileDialogs::chooseFolder(QWidget* parent, const QString& title) {
  QFileDialog dialog(parent, title, QDir::homePath());
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front();
}

}  // namespace sorvane::platform
