#include "engine/run/host.h"

#include "engine/run/messages.h"

namespace sorvane {

MessageAnswer ReplaceHost::fileFailed(const std::string& fileName, const Failure& failure) {
  if (!failure.isFileSystemFailure())
    return showMessage(messages::generalFailure(fileName, failure), MessageStyle::Critical, kApplicationTitle);
  return showMessage(messages::fileSystemFailure(fileName, failure), MessageStyle::AbortRetryIgnore, kApplicationTitle);
}

void ReplaceHost::stoppedByFailure(std::int64_t replacements) {
  showMessage(messages::operationStopped(replacements), MessageStyle::Information, kApplicationTitle);
}

}  // namespace sorvane
