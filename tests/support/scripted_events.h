#pragma once

#include "engine/run/run_events.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace sorvane::testing {

// Whoever started a run: it answers the run's failures from a script and records what it is told.
class ScriptedEvents final : public RunEvents {
 public:
  // Answers for the failures, in order; Ignore when the script runs out.
  std::deque<MessageAnswer> answers;
  // Runs as a failure is told, before it is answered (e.g. to put a missing file back).
  std::function<void()> onFailure;
  std::function<void()> onYield;  // runs each time the events are taken
  bool abandon = false;           // whoever started the run is going away

  // Each failure as "PATH (NUMBER)", a folder not listed as "folder PATH (NUMBER)", and
  // "stopped after N" when a failure stopped the run.
  std::vector<std::string> told;
  std::vector<std::string> journalReports;

  MessageAnswer fileFailed(const std::string& path, const Failure& failure) override {
    told.push_back(path + " (" + std::to_string(failure.number) + ")");
    if (onFailure) onFailure();
    if (answers.empty()) return MessageAnswer::Ignore;
    const MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void stoppedByFailure(std::int64_t replacements) override {
    told.push_back("stopped after " + std::to_string(replacements));
  }
  void folderNotListed(const std::string& folder, const Failure& failure) override {
    told.push_back("folder " + folder + " (" + std::to_string(failure.number) + ")");
  }
  void journalSaid(const std::string& report) override { journalReports.push_back(report); }
  RunCourse takeEvents() override {
    if (onYield) onYield();
    return abandon ? RunCourse::Abandon : RunCourse::GoOn;
  }
};

}  // namespace sorvane::testing
