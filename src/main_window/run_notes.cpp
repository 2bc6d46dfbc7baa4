#include "main_window/run_notes.h"

#include "platform/file_names.h"

#include <QStringList>

namespace sorvane::ui {

void RunNotes::clear() { *this = RunNotes(); }

void RunNotes::Lines::add(QString line) {
  if (++count <= kNamed) named.push_back(std::move(line));
}

QString RunNotes::Lines::shown(const QString& headline) const {
  QString text = headline + QStringLiteral("\r");
  for (const QString& line : named) text += QStringLiteral("\r") + line;
  if (count > named.size()) text += QStringLiteral("\rand %1 more").arg(count - named.size());
  return text;
}

// As the command line names them: the folder, why, and the error's number.
void RunNotes::folderNotListed(const std::string& folder, const Failure& failure) {
  folders_.add(QStringLiteral("%1: %2 (error %3)")
                   .arg(platform::shownPath(folder), QString::fromStdString(failure.description))
                   .arg(failure.number));
}

void RunNotes::journalSaid(const std::string& report) { journal_.add(platform::shownPath(report)); }

QString RunNotes::message(bool anyKept) const {
  QStringList parts;
  if (folders_.count == 1)
    parts << folders_.shown(QStringLiteral("This folder could not be read, so its files were passed over:"));
  else if (folders_.count > 1)
    parts << folders_.shown(
        QStringLiteral("These %1 folders could not be read, so their files were passed over:").arg(folders_.count));
  if (journalFailed())
    parts << journal_.shown(anyKept ? QStringLiteral("Some files of this run cannot be taken back:")
                                    : QStringLiteral("This run cannot be taken back:"));
  return parts.join(QStringLiteral("\r\r"));
}

}  // namespace sorvane::ui
