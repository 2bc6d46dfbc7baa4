#pragma once

#include <QStringView>

namespace sorvane::viewer {

// Where a file's text goes as it is decoded, a piece at a time, so no whole copy of it is made
// on the way to the viewer.
class ViewerTextSink {
 public:
  virtual ~ViewerTextSink() = default;
  // Before any text, once its encoding is known: about how many characters it will hold.
  virtual void start(qsizetype characters) = 0;
  virtual void append(QStringView text) = 0;
};

}  // namespace sorvane::viewer
