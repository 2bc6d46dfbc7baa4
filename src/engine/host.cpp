#include "engine/host.h"

#include "engine/messages.h"

namespace sorvane {

int ReplaceHost::fileFailed(const std::string& fileName, const Failure& failure) {
  if (!failure.isFileSystemFailure())
    return showMessage(messages::generalFailure(fileName, failure), kStyleCritical, kApplicationTitle);
  return showMessage(messages::fileSystemFailure(fileName, failure), kStyleAbortRetryIgnore, kApplicationTitle);
}

}  // namespace sorvane
