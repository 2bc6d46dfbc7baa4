#pragma once

#include <QListWidget>
#include <QString>

namespace sorvane::ui {

// Display-only counterparts of a directory list and a file list: disabled, in the button-face
// and gray-text colours, they show where a folder run will work without taking input.
class DirectoryList final : public QListWidget {
  Q_OBJECT
 public:
  explicit DirectoryList(QWidget* parent = nullptr);
  // Shows the folders from the root to `path`, then the sub-folders of `path`. A folder that
  // does not exist is refused (false) and the list keeps its folder.
  bool setPath(const QString& path);
  const QString& path() const { return path_; }

 private:
  QString path_;
};

class FileList final : public QListWidget {
  Q_OBJECT
 public:
  explicit FileList(QWidget* parent = nullptr);
  // Shows the names of the files in `path`, hidden files excepted. A folder that does not
  // exist is refused (false) and the list keeps its folder.
  bool setPath(const QString& path);
  const QString& path() const { return path_; }
  // Reads the folder again.
  void Refresh();

 private:
  QString path_;
};

}  // namespace sorvane::ui
