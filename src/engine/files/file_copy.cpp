#include "engine/files/file_copy.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace sorvane {
namespace {

constexpr std::size_t kChunk = 1024 * 1024;

int copyRange(int from, off_t offset, off_t end, int to, std::vector<char>& buffer) {
  while (offset < end) {
    const auto wanted = static_cast<std::size_t>(std::min<off_t>(end - offset, static_cast<off_t>(buffer.size())));
    const ssize_t got = ::pread(from, buffer.data(), wanted, offset);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return errno;
    if (got == 0) return EIO;  // shorter than it was
    for (ssize_t done = 0; done < got;) {
      const ssize_t n = ::pwrite(to, buffer.data() + done, static_cast<std::size_t>(got - done), offset + done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return n == 0 ? ENOSPC : errno;
      done += n;
    }
    offset += got;
  }
  return 0;
}

}  // namespace

int copyFileData(int from, off_t size, int to, SeekCall seek) {
  std::vector<char> buffer(kChunk);
  for (off_t offset = 0; offset < size;) {
    off_t data = seek(from, offset, SEEK_DATA);
    off_t hole = size;
    if (data < 0) {
      // ENXIO: a hole from here to the end. Anything else: the file system cannot tell, and a
      // hole taken for granted would lose data.
      if (errno == ENXIO) break;
      data = offset;
    } else {
      hole = seek(from, data, SEEK_HOLE);
      if (hole <= data || hole > size) hole = size;
    }
    if (data >= size) break;
    if (const int error = copyRange(from, data, hole, to, buffer)) return error;
    offset = hole;
  }
  // The length, holes at the end included.
  return ::ftruncate(to, size) == 0 ? 0 : errno;
}

bool sameFileData(int a, int b, off_t size) {
  std::vector<char> first(kChunk), second(kChunk);
  for (off_t offset = 0; offset < size;) {
    const std::size_t want = static_cast<std::size_t>(std::min(size - offset, static_cast<off_t>(kChunk)));
    const ssize_t got = ::pread(a, first.data(), want, offset);
    if (got <= 0 || ::pread(b, second.data(), static_cast<std::size_t>(got), offset) != got ||
        !std::equal(first.begin(), first.begin() + got, second.begin()))
      return false;
    offset += got;
  }
  return true;
}

}  // namespace sorvane
