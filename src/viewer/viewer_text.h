#pragma once

#include "engine/files/failure.h"
#include "engine/files/yielder.h"
#include "viewer/viewer_text_sink.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace sorvane::viewer {

// How a file is read for the viewer: in chunks, handing the window its events by time so a
// long file neither freezes the window nor pays for a yield per line.
struct ReadPacing {
  std::size_t chunkSize = 1024 * 1024;
  std::chrono::nanoseconds interval = Yielder::kDefaultInterval;
};

// Reads the whole file at `path` (file-system bytes) through a descriptor of its own, closed
// before returning, and decodes it as ViewerDecoder does: in the encoding its byte order mark
// announces, else as UTF-8 or Windows-1252, with every line followed by CR LF. The text goes to
// `text` as each chunk is decoded, and `processEvents` runs between chunks. Says why the file
// cannot be shown, if it cannot.
std::optional<Failure> readViewerText(const std::string& path, ViewerTextSink& text,
                                      const std::function<void()>& processEvents, const ReadPacing& pacing = {});

}  // namespace sorvane::viewer
