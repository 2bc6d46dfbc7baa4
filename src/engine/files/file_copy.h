#pragma once

#include <sys/types.h>
#include <unistd.h>

namespace sorvane {

// Finds data or a hole, as lseek(2) with SEEK_DATA and SEEK_HOLE does; a seam, so tests can make
// a file system that cannot tell.
using SeekCall = off_t (*)(int fd, off_t offset, int whence);

// Copies the first `size` bytes of `from` into the empty file `to`, the data regions only: a hole
// stays a hole, so a sparse file's copy takes the room the file took, not its length. Where the
// file system cannot tell data from holes, everything is copied. Returns 0, or the errno that
// stopped it (EIO when `from` turned out shorter than `size`).
int copyFileData(int from, off_t size, int to, SeekCall seek = &::lseek);

// Both files hold `size` bytes, the same ones; a read that fails counts as a difference.
bool sameFileData(int a, int b, off_t size);

}  // namespace sorvane
