#pragma once

#include "engine/files/failure.h"

#include <QString>
#include <cstddef>
#include <string>
#include <vector>

namespace sorvane::ui {

// What a window's run has to tell beyond its report: the folders it could not read, and what
// the undo journal could not keep of it. Gathered as the run goes, told once after the report.
class RunNotes {
 public:
  // Only the first few of each are named; the rest are counted.
  static constexpr std::size_t kNamed = 10;

  void clear();
  void folderNotListed(const std::string& folder, const Failure& failure);
  // A failure of the journal, or a file put in place that cannot be taken back.
  void journalSaid(const std::string& report);
  bool journalFailed() const { return journal_.count > 0; }

  // The message, lines broken by a lone CR; empty when all went well. `anyKept` says whether
  // the journal kept any of the run.
  QString message(bool anyKept) const;

 private:
  struct Lines {
    std::vector<QString> named;
    std::size_t count = 0;
    void add(QString line);
    QString shown(const QString& headline) const;
  };
  Lines folders_;
  Lines journal_;
};

}  // namespace sorvane::ui
