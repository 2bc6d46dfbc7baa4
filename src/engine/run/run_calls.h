#pragma once

#include "engine/files/replacement_file.h"
#include "engine/run/folder_listing.h"

namespace sorvane {

// The system calls a run makes through seams, so that tests can watch each one or make it
// fail. Only tests make other ones: every front end leaves a run the real ones.
struct RunCalls {
  SwapCalls swap;
  ReadEntryCall readEntry = &::readdir;  // how folder runs read folders
};

inline const RunCalls kSystemCalls{};

}  // namespace sorvane
