#include "engine/run/messages.h"

#include "engine/failure_report/failure_report.h"

#include <algorithm>
#include <string_view>

namespace sorvane::messages {
namespace {

constexpr char CR = '\r';

}  // namespace

std::string report(std::int64_t replacements) {
  return "Made " + std::to_string(replacements) + " replacements.";
}

std::string dryRunReport(std::int64_t occurrences) {
  return "Found " + std::to_string(occurrences) + " occurrences.";
}

std::string fileSystemFailure(const std::string& fileName, const Failure& failure) {
  return failureReport("The file '" + fileName + "' could not be opened because of the following error occured.",
                       failure) +
         CR + CR + "Abort - Stop the find and replace process." +
         CR + "Retry - Attempt to open the file again." + CR +
         "Ignore - Skip this file and continue with the remaining files.";
}

std::string generalFailure(const std::string& fileName, const Failure& failure) {
  return failureReport("The find and replace operation could not be performed on '" + fileName +
                           "' because of the following error occured.",
                       failure);
}

std::string binaryPassedOver(std::int64_t files) {
  return std::to_string(files) + (files == 1 ? " binary file passed over" : " binary files passed over");
}

std::string operationStopped(std::int64_t replacements) {
  return std::string("Operation stopped.") + CR + CR + report(replacements);
}

std::string faultAndPlace(const TermsFault& fault, const std::string& term) {
  const std::string_view before = std::string_view(term).substr(0, fault.error.offset);
  // A user counts characters, not the bytes of their UTF-8 form.
  const auto characters = std::count_if(before.begin(), before.end(), [](char c) { return (c & 0xC0) != 0x80; });
  return fault.error.message + " at offset " + std::to_string(characters);
}

std::string termsFault(const TermsFault& fault, const std::string& term) {
  return std::string(fault.inReplace ? "The replace text is not a template that can be used:"
                                     : "The find text is not a pattern that can be used:") +
         CR + CR + faultAndPlace(fault, term) + ".";
}

}  // namespace sorvane::messages
