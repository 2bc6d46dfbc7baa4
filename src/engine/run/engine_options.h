#pragma once

#include "engine/files/files_per_batch.h"
#include "engine/files/undo_record.h"
#include "engine/files/yielder.h"
#include "engine/run/run_calls.h"
#include "engine/text/stream_rewriter.h"

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace sorvane {

// How many rewritten files wait for one flush of the journal and of their folders: each holds a
// few descriptors until it is in place. Files without an occurrence hold none, and wait for
// the files before them in far greater numbers.
struct BatchLimits {
  std::size_t files = kFilesPerBatch;
  std::uint64_t bytes = std::uint64_t{64} << 20;
  std::size_t unchangedFiles = 4096;
};

// How a host wants its runs carried out.
struct EngineOptions {
  std::size_t bufferCapacity = StreamRewriter::kDefaultCapacity;
  std::chrono::nanoseconds yieldInterval = Yielder::kDefaultInterval;
  UndoRecord* undoRecord = nullptr;  // keeps what each run replaces; none for a host without undo
  // 1: files are read and written on the run's own thread, and only flushed on helper threads.
  // More: that many threads read and write files ahead, while the run's thread puts them in
  // place in run order.
  int jobs = 1;
  // With more than one job, the most files handed in that the batch has not taken yet, whether
  // with the helpers or still gathering into a group for them: a prepared file holds descriptors
  // while it waits.
  std::size_t readAhead = 64;
  BatchLimits batch;
  const RunCalls* calls = &kSystemCalls;  // tests' own, to watch or fail a call
};

}  // namespace sorvane
