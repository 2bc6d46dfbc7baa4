#pragma once

#include "viewer/viewer_text.h"

#include <QObject>
#include <QPointer>
#include <QString>

namespace sorvane::ui {
class frmSorvane;
}  // namespace sorvane::ui

namespace sorvane::viewer {

class frmView;

// Shows a listed file's text in the one viewer window, creating it on first use and again
// after the user closed it.
class FileViewer final : public QObject {
  Q_OBJECT
 public:
  explicit FileViewer(ui::frmSorvane& window, ReadPacing pacing = {});
  ~FileViewer() override;

  // The double-click handler of the main window's file list.
  void lstFiles_DblClick();

  // The open viewer; null before the first file is shown and once the user has closed it.
  frmView* view() const;

 private:
  void showFile(const QString& path);
  void processEventsDuringRead();
  void showFailure(const QString& path, const Failure& failure);
  frmView& openView();

  ui::frmSorvane& window_;
  ReadPacing pacing_;
  QPointer<frmView> view_;
  bool reading_ = false;
};

}  // namespace sorvane::viewer
