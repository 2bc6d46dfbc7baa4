#include "viewer/viewer_text.h"

#include "viewer/viewer_decoder.h"

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <stdexcept>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace sorvane::viewer {
namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() { close(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  void close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

ViewerText failed(int error, const std::string& path) { return {QString(), failureFromErrno(error, path)}; }

}  // namespace

ViewerText readViewerText(const std::string& path, const std::function<void()>& processEvents,
                          const ReadPacing& pacing) {
  // Non-blocking, so a named pipe in the list cannot hang the window before it is refused.
  Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (file.get() < 0) return failed(errno, path);
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) return failed(errno, path);
  if (S_ISDIR(status.st_mode)) return failed(EISDIR, path);
  if (!S_ISREG(status.st_mode)) return failed(ENXIO, path);  // a device could read forever
  ::fcntl(file.get(), F_SETFL, ::fcntl(file.get(), F_GETFL) & ~O_NONBLOCK);
  ::posix_fadvise(file.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

  try {
    ViewerDecoder decoder(static_cast<std::size_t>(status.st_size));
    std::vector<char> chunk(pacing.chunkSize > 0 ? pacing.chunkSize : 1);
    auto lastYield = std::chrono::steady_clock::now();
    while (true) {
      const ssize_t got = ::read(file.get(), chunk.data(), chunk.size());
      if (got < 0) {
        if (errno == EINTR) continue;
        return failed(errno, path);
      }
      if (got == 0) break;
      decoder.append(std::string_view(chunk.data(), static_cast<std::size_t>(got)));
      if (std::chrono::steady_clock::now() - lastYield >= pacing.interval) {
        if (processEvents) processEvents();
        lastYield = std::chrono::steady_clock::now();
      }
    }
    file.close();  // before the text is shown, so the file is free for a replace run
    return decoder.finish();
  } catch (const std::bad_alloc&) {
    return {QString(), outOfMemoryFailure()};
  } catch (const std::length_error&) {  // larger than a text can be
    return {QString(), outOfMemoryFailure()};
  }
}

}  // namespace sorvane::viewer
