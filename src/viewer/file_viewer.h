#pragma once

#include "platform/services.h"
#include "viewer/viewer_text.h"
#include "viewer/viewer_text_box.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>

class QListWidget;
class QWidget;

namespace sorvane::viewer {

class frmView;

// Shows a file in the one viewer window of its owner, creating it on first use and again after
// the user closed it: a double-clicked entry of a file list, or a file another window names. The
// viewer and the messages belong to the owner, which shows the hourglass while a file is loaded.
class FileViewer final : public QObject {
  Q_OBJECT
 public:
  // The viewer of a file list's window, opened by a double-click on an entry.
  FileViewer(QListWidget& list, const platform::Services& services, ReadPacing pacing = {});
  // A viewer over `owner`, opened by showFile alone.
  FileViewer(QWidget& owner, const platform::Services& services, ReadPacing pacing = {});
  ~FileViewer() override;

  // The double-click handler of the file list.
  void lstFiles_DblClick();

  // The open viewer; null before the first file is shown and once the user has closed it.
  frmView* view() const;
  // Shows `path` scrolled to line `line`, from 1, with `mark` selected on it.
  void showFile(const QString& path, std::int64_t line = 1, const LineMark& mark = {});

 private:
  void processEventsDuringLoad();
  void showFailure(const QString& path, const Failure& failure);
  frmView& openView();
  QWidget& window() const;

  QListWidget* list_ = nullptr;
  QWidget& owner_;
  platform::Services services_;
  ReadPacing pacing_;
  QPointer<frmView> view_;
  bool loading_ = false;
};

}  // namespace sorvane::viewer
