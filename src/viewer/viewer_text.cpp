#include "viewer/viewer_text.h"

#include "engine/files/regular_file.h"
#include "engine/files/yielder.h"
#include "viewer/viewer_decoder.h"

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <stdexcept>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace sorvane::viewer {

std::optional<Failure> readViewerText(const std::string& path, ViewerTextSink& text,
                                      const std::function<void()>& processEvents, const ReadPacing& pacing) {
  OpenedFile file = openRegularFile(AT_FDCWD, path, FinalLink::Follow);
  if (file.error != 0) return failureFromErrno(file.error, path);

  try {
    ViewerDecoder decoder(text, static_cast<std::size_t>(file.status.st_size));
    std::vector<char> chunk(pacing.chunkSize > 0 ? pacing.chunkSize : 1);
    Yielder yielder(
        [&processEvents] {
          if (processEvents) processEvents();
          return true;  // a read is never abandoned
        },
        pacing.interval);
    while (true) {
      const ssize_t got = ::read(file.descriptor.get(), chunk.data(), chunk.size());
      if (got < 0) {
        if (errno == EINTR) continue;
        return failureFromErrno(errno, path);
      }
      if (got == 0) break;
      decoder.append(std::string_view(chunk.data(), static_cast<std::size_t>(got)));
      yielder.poll();
    }
    file.descriptor.reset();  // before the text is shown, so the file is free for a replace run
    return decoder.finish();
  } catch (const std::bad_alloc&) {
    return outOfMemoryFailure();
  } catch (const std::length_error&) {  // larger than a text can be
    return outOfMemoryFailure();
  }
}

}  // namespace sorvane::viewer
