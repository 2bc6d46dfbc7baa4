#include "extended_attributes.h"

#include "run_program.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <sys/xattr.h>

namespace sorvane::testing {

std::map<std::string, std::string> attributesOf(const std::string& path) {
  std::map<std::string, std::string> attributes;
  char names[4096];
  const ssize_t size = ::listxattr(path.c_str(), names, sizeof names);
  for (ssize_t at = 0; at < size; at += static_cast<ssize_t>(std::strlen(names + at)) + 1) {
    char value[4096];
    const ssize_t length = ::getxattr(path.c_str(), names + at, value, sizeof value);
    attributes[names + at] = std::string(value, static_cast<std::size_t>(std::max<ssize_t>(length, 0)));
  }
  return attributes;
}

bool setAttribute(const std::string& path, const std::string& name, const std::string& value) {
  return ::setxattr(path.c_str(), name.c_str(), value.data(), value.size(), 0) == 0;
}

std::string accessListReadableByNobody() {
  struct Entry {
    std::uint16_t tag, permissions;
    std::uint32_t id;
  };
  const std::uint32_t none = 0xFFFFFFFF, version = 2;
  const Entry entries[] = {{0x01, 6, none}, {0x02, 4, unprivilegedUser()}, {0x04, 4, none}, {0x10, 4, none},
                           {0x20, 0, none}};
  std::string value(reinterpret_cast<const char*>(&version), sizeof version);
  return value.append(reinterpret_cast<const char*>(entries), sizeof entries);
}

std::string bindCapability() {
  const std::uint32_t fields[5] = {0x02000000, 1u << 10, 0, 0, 0};
  return std::string(reinterpret_cast<const char*>(fields), sizeof fields);
}

}  // namespace sorvane::testing
