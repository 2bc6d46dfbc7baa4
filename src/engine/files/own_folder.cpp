#include "engine/files/own_folder.h"

#include "engine/files/reachable_folder.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

namespace sorvane {
namespace {

// The path whose name the new content must take: the file itself, not a link to it.
Result<std::string> resolveLinks(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
  if (!resolved) return failureFromErrno(errno, path);
  return std::string(resolved.get());
}

// Below the walk's folder no name may be a link: the walk entered none.
Result<FileToRewrite> withinWalkedFolders(FileToRewrite file) {
  std::string top = file.foundUnder;
  if (top.back() != '/') top += '/';
  auto folder = std::make_shared<FileDescriptor>(::open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  int error = errno;
  std::string::size_type start = top.size();
  for (auto slash = file.path.find('/', start); folder->valid() && slash != std::string::npos;
       start = slash + 1, slash = file.path.find('/', start)) {
    const std::string name = file.path.substr(start, slash - start);
    const int sub = ::openat(folder->get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    error = errno;
    folder->reset(sub);
  }
  if (!folder->valid()) return failureFromErrno(error, file.path);
  file.name = file.path.substr(start);
  file.folder = std::move(folder);
  return file;
}

}  // namespace

Result<FileToRewrite> withOwnFolder(FileToRewrite file) {
  if (!file.foundUnder.empty() && file.path.starts_with(file.foundUnder))
    return withinWalkedFolders(std::move(file));
  const Result<std::string> target = resolveLinks(file.path);
  if (!target.ok()) return Result<FileToRewrite>::endedAs(target);
  const std::string& resolved = target.value();
  const auto slash = resolved.find_last_of('/');
  const std::string folderPath = slash == std::string::npos ? "." : slash == 0 ? "/" : resolved.substr(0, slash);
  file.name = slash == std::string::npos ? resolved : resolved.substr(slash + 1);
  // A folder the user may search but not read still holds files to rewrite; it is only not
  // flushed after the swap.
  auto folder = std::make_shared<FileDescriptor>(openFolderToReach(AT_FDCWD, folderPath.c_str()));
  if (!folder->valid()) return failureFromErrno(errno, resolved);
  file.folder = std::move(folder);
  return file;
}

}  // namespace sorvane
