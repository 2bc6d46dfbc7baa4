#pragma once

#include "engine/files/failure.h"
#include "engine/text/encoded_terms.h"

#include <cstdint>
#include <string>

// The texts of the run's message boxes. Line breaks are a lone CR, which the hosts render.
namespace sorvane::messages {

inline constexpr const char* kEmptyFileList =
    "You must open at least one file in which to perform the replacement.";
inline constexpr const char* kNoFolderChosen = "You must choose a folder in which to perform the replacement.";

std::string report(std::int64_t replacements);
// The report of a run that only counted.
std::string dryRunReport(std::int64_t occurrences);
std::string fileSystemFailure(const std::string& fileName, const Failure& failure);
std::string generalFailure(const std::string& fileName, const Failure& failure);
std::string operationStopped(std::int64_t replacements);
// How many files of a folder run looked binary and were left as they were.
std::string binaryPassedOver(std::int64_t files);
// What is wrong with a pattern or template and where: "missing closing parenthesis at offset 3",
// the offset counted in the characters of `term`, the text at fault.
std::string faultAndPlace(const TermsFault& fault, const std::string& term);
// Why a pattern run cannot start.
std::string termsFault(const TermsFault& fault, const std::string& term);

}  // namespace sorvane::messages
