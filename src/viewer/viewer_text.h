#pragma once

#include "engine/failure.h"
#include "viewer/load_pacing.h"

#include <QString>
#include <functional>
#include <optional>
#include <string>

namespace sorvane::viewer {

// The text of a file as the viewer shows it, or why it could not be read.
struct ViewerText {
  QString text;
  std::optional<Failure> failure;
};

// Reads the whole file at `path` (file-system bytes) through a descriptor of its own, closed
// before returning, and decodes it as ViewerDecoder does: in the encoding its byte order mark
// announces, else as UTF-8 or Windows-1252, with every line followed by CR LF.
// `processEvents` runs between chunks.
ViewerText readViewerText(const std::string& path, const std::function<void()>& processEvents,
                          const LoadPacing& pacing = {});

}  // namespace sorvane::viewer
