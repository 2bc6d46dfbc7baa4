#pragma once

#include <map>
#include <string>

namespace sorvane::testing {

// Every extended attribute of a file, by name.
std::map<std::string, std::string> attributesOf(const std::string& path);
// False where the file system or the process's rights do not allow it.
bool setAttribute(const std::string& path, const std::string& name, const std::string& value);

// An access list in the kernel's form (system.posix_acl_access): the owner may read and write,
// the user "nobody" and the group may read, others nothing.
std::string accessListReadableByNobody();
// File capabilities (security.capability) that allow binding to a low port.
std::string bindCapability();

}  // namespace sorvane::testing
