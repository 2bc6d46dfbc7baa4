#pragma once

#include "platform/services.h"
#include "viewer/viewer_text.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QListWidget;
class QWidget;

namespace sorvane::viewer {

class frmView;

// Shows a double-clicked entry of a file list in the one viewer window, creating it on first
// use and again after the user closed it. The viewer and the messages belong to the list's
// window, which shows the hourglass while a file is loaded.
class FileViewer final : public QObject {
  Q_OBJECT
 public:
  FileViewer(QListWidget& list, const platform::Services& services, ReadPacing pacing = {});
  ~FileViewer() override;

  // The double-click handler of the file list.
  void lstFiles_DblClick();

  // The open viewer; null before the first file is shown and once the user has closed it.
  frmView* view() const;

 private:
  void showFile(const QString& path);
  void processEventsDuringLoad();
  void showFailure(const QString& path, const Failure& failure);
  frmView& openView();
  QWidget& window() const;

  QListWidget& list_;
  platform::Services services_;
  ReadPacing pacing_;
  QPointer<frmView> view_;
  bool loading_ = false;
};

}  // namespace sorvane::viewer
