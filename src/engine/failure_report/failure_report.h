#pragma once

#include "engine/files/failure.h"

#include <string>

// The text a failure is shown in, the same in the run's boxes, the viewer's and the file list's.
// Line breaks are a lone CR, which the hosts render.
namespace sorvane::messages {

// A headline, a blank line, then the failure's number, source and description.
std::string failureReport(const std::string& headline, const Failure& failure);

}  // namespace sorvane::messages
