#pragma once

#include <cstddef>
#include <sys/stat.h>

namespace sorvane {

// Sets one extended attribute on an open file, as fsetxattr(2) does; a seam for tests.
using SetAttributeCall = int (*)(int fd, const char* name, const void* value, std::size_t size, int flags);

// Gives the file open as `to` the owner, mode, extended attributes and access lists of the
// file open as `from` (whose status is `fromStatus`). An owner the process may not give, and a
// `security.*` or `trusted.*` attribute it may not set, are left out; a file left without its
// owner loses its set-user-ID and set-group-ID bits. `user.*` attributes and access lists
// decide who may do what with the file, so one that cannot be copied makes the whole copy fail
// rather than silently widen or narrow access. Returns 0 or an errno.
int copyFileAttributes(int from, const struct stat& fromStatus, int to, SetAttributeCall setAttribute);

// Gives the file open as `fd` the owner `owner`:`group`. Where the process may not (EPERM), the
// file stays its current owner's, and `mode`, the mode it is about to get, loses its set-id bits:
// they would lend that owner's rights, as cp -p knows. Returns 0 or another errno.
int giveOwner(int fd, uid_t owner, gid_t group, mode_t& mode);

}  // namespace sorvane
