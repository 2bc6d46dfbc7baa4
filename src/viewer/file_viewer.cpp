#include "viewer/file_viewer.h"
#include "viewer/viewer_text_box.h"

#include "engine/failure_report/failure_report.h"
#include "platform/event_pump.h"
#include "platform/message_boxes.h"
#include "platform/mouse_pointer.h"
#include "viewer/frm_view.h"
#include "vocabulary/vocabulary.h"
#include "platform/file_names.h"

#include <QListWidget>
#include <QScopedValueRollback>
#include <optional>

namespace sorvane::viewer {
namespace {

// The entry that has the focus, which after a double-click is the one double-clicked; without
// one, the first selected entry.
std::optional<QString> entryToShow(const QListWidget& list) {
  if (const QListWidgetItem* current = list.currentItem()) return current->text();
  for (int row = 0; row < list.count(); ++row)
    if (list.item(row)->isSelected()) return list.item(row)->text();
  return std::nullopt;
}

}  // namespace

FileViewer::FileViewer(QListWidget& list, const platform::Services& services, ReadPacing pacing)
    : list_(&list), owner_(*list.window()), services_(services), pacing_(pacing) {
  connect(&list, &QListWidget::itemDoubleClicked, this, &FileViewer::lstFiles_DblClick);
}

FileViewer::FileViewer(QWidget& owner, const platform::Services& services, ReadPacing pacing)
    : owner_(owner), services_(services), pacing_(pacing) {}

FileViewer::~FileViewer() = default;

frmView* FileViewer::view() const { return view_ && !view_->closed() ? view_.data() : nullptr; }

QWidget& FileViewer::window() const { return owner_; }

void FileViewer::lstFiles_DblClick() {
  if (const std::optional<QString> path = entryToShow(*list_)) showFile(*path);
}

// The text is packed for the viewer's box as it is read, away from any widget, so the window's
// events are served between chunks and the viewer may be closed meanwhile.
void FileViewer::showFile(const QString& path, std::int64_t line, const LineMark& mark) {
  // The load under way owns the pointer and the viewer's next text; it finishes first.
  if (loading_) return;
  platform::setMousePointer(window(), MousePointer::Hourglass);
  TextPacker packer;
  std::optional<Failure> failure;
  {
    const QScopedValueRollback<bool> underWay(loading_, true);
    failure = readViewerText(platform::fileSystemPath(path), packer, [this] { processEventsDuringLoad(); },
                             pacing_);
  }
  if (failure) {
    showFailure(path, *failure);
    return;
  }
  platform::setMousePointer(window(), MousePointer::Default);
  frmView& view = openView();
  view.setWindowTitle(path);
  view.setText(packer.finish());
  view.show();
  view.txtView->goToLine(line, mark);
  view.activateWindow();  // an open viewer takes the keyboard again for its new file
}

void FileViewer::processEventsDuringLoad() {
  services_.eventPump.processPendingEvents();
  // A replace run started meanwhile has put the default pointer back; the load goes on.
  platform::setMousePointer(window(), MousePointer::Hourglass);
}

void FileViewer::showFailure(const QString& path, const Failure& failure) {
  platform::setMousePointer(window(), MousePointer::Default);
  const std::string text =
      messages::failureReport("The file '" + path.toStdString() + "' could not be shown.", failure);
  services_.messageBoxes.show(&window(), QString::fromStdString(text), MessageStyle::Critical,
                              QString::fromLatin1(kApplicationTitle));
}

// A viewer the user closed may not be deleted yet (the deletion waits for the event loop);
// it is let go and a new one made.
frmView& FileViewer::openView() {
  if (view() == nullptr) view_ = new frmView(&window());
  return *view_;
}

}  // namespace sorvane::viewer
