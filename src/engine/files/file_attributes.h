#pragma once

#include <cstddef>
#include <functional>
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

// Gives the file open as `fd` the owner `owner`:`group`, then does `between` (0 or an errno),
// then gives it `mode`, the owner and the mode each only where the file's differ, so that a file
// the user may write but does not own can still get its own back. Owner first: a change of owner
// clears the set-id bits and file capabilities. Where the process may not give the owner (EPERM),
// the file stays its current owner's, and `mode` loses its set-id bits: they would lend that
// owner's rights, as cp -p knows. Returns 0 or another errno.
int giveOwnerThenMode(int fd, uid_t owner, gid_t group, mode_t mode, const std::function<int()>& between = {});

}  // namespace sorvane
