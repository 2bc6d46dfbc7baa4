#include "engine/files/file_attributes.h"

#include <cerrno>
#include <string>
#include <string_view>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace sorvane {
namespace {

constexpr const char* kAccessList = "system.posix_acl_access";

bool mustBeCopied(std::string_view name) {
  return name.starts_with("user.") || name.starts_with("system.posix_acl_");
}

// The names of a file's extended attributes; a file system without them has none.
int attributeNames(int fd, std::vector<std::string>& names) {
  std::vector<char> buffer;
  while (true) {
    const ssize_t size = ::flistxattr(fd, nullptr, 0);
    if (size < 0) return errno == ENOTSUP ? 0 : errno;
    buffer.resize(static_cast<std::size_t>(size));
    const ssize_t got = ::flistxattr(fd, buffer.data(), buffer.size());
    if (got < 0 && errno == ERANGE) continue;  // an attribute was added in between
    if (got < 0) return errno;
    buffer.resize(static_cast<std::size_t>(got));
    break;
  }
  for (std::size_t at = 0; at < buffer.size();) {
    const std::string name(buffer.data() + at);
    at += name.size() + 1;
    names.push_back(name);
  }
  return 0;
}

int attributeValue(int fd, const std::string& name, std::vector<char>& value) {
  while (true) {
    const ssize_t size = ::fgetxattr(fd, name.c_str(), nullptr, 0);
    if (size < 0) return errno;
    value.resize(static_cast<std::size_t>(size));
    const ssize_t got = ::fgetxattr(fd, name.c_str(), value.data(), value.size());
    if (got < 0 && errno == ERANGE) continue;
    if (got < 0) return errno;
    value.resize(static_cast<std::size_t>(got));
    return 0;
  }
}

int copyExtendedAttributes(int from, int to, SetAttributeCall setAttribute) {
  std::vector<std::string> names;
  if (const int error = attributeNames(from, names)) return error;
  bool hasAccessList = false;
  std::vector<char> value;
  for (const std::string& name : names) {
    hasAccessList = hasAccessList || name == kAccessList;
    const int error = attributeValue(from, name, value);
    if (error == ENODATA) continue;  // removed since it was listed
    const bool copied = error == 0 && setAttribute(to, name.c_str(), value.data(), value.size(), 0) == 0;
    if (!copied && mustBeCopied(name)) return EACCES;
  }
  // A new file takes its folder's default access list; the source had none of its own.
  if (!hasAccessList && ::fremovexattr(to, kAccessList) != 0 && errno != ENODATA && errno != ENOTSUP)
    return EACCES;
  return 0;
}

}  // namespace

int giveOwnerThenMode(int fd, uid_t owner, gid_t group, mode_t mode, const std::function<int()>& between) {
  struct stat now {};
  if (::fstat(fd, &now) != 0) return errno;
  if ((now.st_uid != owner || now.st_gid != group) && ::fchown(fd, owner, group) != 0) {
    if (errno != EPERM) return errno;
    mode &= ~mode_t{S_ISUID | S_ISGID};
  }
  if (between) {
    if (const int error = between()) return error;
  }
  if (::fstat(fd, &now) != 0) return errno;
  if ((now.st_mode & 07777) != mode && ::fchmod(fd, mode) != 0) return errno;
  return 0;
}

int copyFileAttributes(int from, const struct stat& fromStatus, int to, SetAttributeCall setAttribute) {
  // Mode last, so the access list's mask and the group bits agree with the source's.
  return giveOwnerThenMode(to, fromStatus.st_uid, fromStatus.st_gid, fromStatus.st_mode & 07777,
                           [&] { return copyExtendedAttributes(from, to, setAttribute); });
}

}  // namespace sorvane
