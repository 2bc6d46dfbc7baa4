#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace sorvane::platform {

struct OpenFilesRequest {
  QString startFolder;
  QStringList nameFilters;  // Qt's form, "Caption (*.a *.b)", of which only the caption is shown
  int filterIndex = 0;      // 0-based
};

struct OpenFilesAnswer {
  QStringList files;    // full paths, in the dialog's order
  int filterIndex = 0;  // 0-based, the filter in use when the user confirmed
};

// The desktop's file and folder choosers, modal to their parent. Nothing means cancelled.
class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // Several existing files from one folder.
  virtual std::optional<OpenFilesAnswer> chooseFilesToOpen(QWidget* parent, const OpenFilesRequest& request) = 0;
  // One existing folder; the chooser starts at the user's home folder with nothing preselected.
  virtual std::optional<QString> chooseFolder(QWidget* parent, const QString& title) = 0;
};

class QtFileDialogs final : public FileDialogs {
 public:
  std::optional<OpenFilesAnswer> chooseFilesToOpen(QWidget* parent, const OpenFilesRequest& request) override;
  std::optional<QString> chooseFolder(QWidget* parent, const QString& title) override;
};

}  // namespace sorvane::platform
