#pragma once

#include "engine/text/pattern_scratch.h"

#include <cstddef>
#include <memory>

namespace sorvane {

// The memory text rewrites read into, kept from one rewrite to the next by whoever runs them
// one after another: a tree of small files would otherwise take, and give back, two buffers for
// each file. Each buffer grows to the largest size asked of it, no further.
class RewriteBuffers {
 public:
  char* head(std::size_t size) { return head_.atLeast(size); }      // a stream's first bytes
  char* stream(std::size_t size) { return stream_.atLeast(size); }  // the rewriter's window
  PatternScratch& patternScratch() {
    if (!patternScratch_) patternScratch_ = std::make_unique<PatternScratch>();
    return *patternScratch_;
  }

 private:
  struct Buffer {
    // Left uninitialized: every byte is read into before it is looked at, and clearing a buffer
    // per file of a tree costs more than reading the file.
    char* atLeast(std::size_t wanted) {
      if (wanted > size) {
        bytes = std::make_unique_for_overwrite<char[]>(wanted);
        size = wanted;
      }
      return bytes.get();
    }
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;
  };

  Buffer head_;
  Buffer stream_;
  std::unique_ptr<PatternScratch> patternScratch_;  // made for the first pattern run
};

}  // namespace sorvane
