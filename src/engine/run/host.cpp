#include "engine/run/host.h"

#include "engine/run/messages.h"

namespace sorvane {

MessageAnswer ReplaceHost::fileFailed(const std::string& fileName, const Failure& failure) {
  if (!failure.isFileSystemFailure())
    return showMessage(messages::generalFailure(fileName, failure), MessageStyle::Critical, kApplicationTitle);
  return showMessage(messages::fileSystemFailure(fileName, failure), MessageStyle::AbortRetryIgnore, kApplicationTitle);
}

bool yieldTo(ReplaceHost& host) {
  host.processPendingEvents();
  return !host.stopRequested() && !host.abortRequested();
}

}  // namespace sorvane
