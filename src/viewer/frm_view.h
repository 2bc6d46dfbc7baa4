#pragma once

#include "platform/outer_geometry.h"
#include "viewer/packed_text.h"

#include <QWidget>

namespace sorvane::viewer {

class ViewerTextBox;

// The viewer: a sizable tool window over the main window, showing one file's text read only.
// Its text box has the keyboard; Esc closes it. It deletes itself when closed.
class frmView final : public QWidget {
  Q_OBJECT
 public:
  // At its designed size; centred over `owner` when first shown.
  explicit frmView(QWidget* owner);

  ViewerTextBox* txtView;

  void Form_Resize();

  // Shows a text packed by a TextPacker in txtView.
  void setText(PackedText packed);

  // The window's outer size (frame and title bar included), in twips.
  platform::Twips outerWidth() const { return outer_.width(); }
  platform::Twips outerHeight() const { return outer_.height(); }

  // True once the user has closed it: it is about to be deleted and must not be shown again.
  bool closed() const { return closed_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  platform::OuterGeometry outer_{*this};
  bool closed_ = false;
};

}  // namespace sorvane::viewer
