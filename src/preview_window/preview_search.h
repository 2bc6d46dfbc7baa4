#pragma once

#include "engine/preview/file_preview.h"
#include "engine/run/engine_options.h"
#include "engine/run/run_request.h"
#include "engine/text/encoded_terms.h"
#include "engine/text/rewrite_buffers.h"
#include "vocabulary/vocabulary.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace sorvane::preview {

// A file that holds occurrences, with the lines the list shows of it, or one that could not be
// read, with its failure. A file being read comes in pieces: the lines found so far, then the
// rest with its count; a file cut off by a stop, or that failed after some of its lines were
// handed out, ends with a piece that counts nothing, and a failed one then comes again whole.
struct FoundFile {
  std::string path;
  FilePreview preview;  // its count, and its fingerprint as it was read
  std::vector<std::shared_ptr<const PreviewLine>> lines;
  std::int64_t listed = 0;  // its occurrences that have rows: those of `lines`, up to the bound
  std::optional<Failure> failure = std::nullopt;
  bool complete = true;  // false: more of the file is to come
};

// Searches the request's files on a thread of its own, meeting them in the order a run meets
// them and reading each once, and keeps what it finds until the window takes it: the lines of a
// file as they are found, so a big file's rows show while it is read. Lines are kept only until
// `listedOccurrences` occurrences are listed in all; past that, files come with their counts
// alone.
class PreviewSearch {
 public:
  // How long the lines found in a file wait before the window may take them while it is read.
  static constexpr std::chrono::milliseconds kLinesHandedOutEvery{50};

  // A file list is read on the search's thread: one listed as it is now (FileList::asListedNow).
  // The lines of a file wait `handOutEvery` before the window may take them while it is read.
  // `news` is called on the search's thread when there is something to take or the search has
  // ended, once until the next takeFound: it must not call the search.
  PreviewSearch(RunRequest request, EngineOptions options, std::int64_t listedOccurrences,
                std::chrono::milliseconds handOutEvery = kLinesHandedOutEvery, std::function<void()> news = {});
  ~PreviewSearch();  // stops the search and waits for its thread
  PreviewSearch(const PreviewSearch&) = delete;  // its thread holds on to it
  PreviewSearch& operator=(const PreviewSearch&) = delete;

  // Ends the search at its next step; the files found so far stay.
  void stop() { stopRequested_ = true; }
  // The files found since the last call, in run order.
  std::vector<FoundFile> takeFound();
  // True once the search has ended, and every file it found was handed out by takeFound.
  bool finished();
  std::int64_t filesSearched() const { return filesSearched_; }
  // The files of a walk passed over as binary so far, as a run passes them over.
  std::int64_t binaryPassedOver() const { return binaryPassedOver_; }
  // The file being searched, or the last one, for the progress line.
  std::string currentFile();
  // True when the search was stopped before it met every file; known once it has ended.
  bool endedEarly();

 private:
  class FolderSearch;
  class ListedLines;
  void search();
  // False once the search is to stop.
  bool searchFile(const FileToRewrite& named);
  void listFailed(const std::string& path, const Failure& failure);
  // Hands out what `file` holds so far, `complete` or not; it is left without lines.
  void handOut(FoundFile& file, bool complete);
  void tell();  // with the mutex held

  const RunRequest request_;
  EngineOptions options_;
  const std::int64_t listedOccurrences_;
  const std::chrono::milliseconds handOutEvery_;
  const std::function<void()> news_;
  // The search thread's own.
  EncodedTerms terms_{request_.terms};
  RewriteBuffers buffers_;
  std::int64_t occurrencesListed_ = 0;
  std::atomic<bool> stopRequested_{false};
  std::atomic<std::int64_t> filesSearched_{0};
  std::atomic<std::int64_t> binaryPassedOver_{0};
  std::mutex mutex_;  // guards what follows
  std::vector<FoundFile> found_;
  std::string currentFile_;
  bool ended_ = false;
  bool endedEarly_ = false;
  bool told_ = false;  // of what waits in found_, or of the end
  std::thread thread_;  // last: it starts once everything above is ready
};

}  // namespace sorvane::preview
