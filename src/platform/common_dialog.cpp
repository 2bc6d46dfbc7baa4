#include "platform/common_dialog.h"

#include "platform/dialog_error.h"

#include <QFileInfo>

namespace sorvane::platform {
namespace {

const QString kSource = QStringLiteral("CommonDialog");

// The description is shown as it is; Qt takes the patterns from the last parentheses, separated
// by blanks. "*.*" is every name, with or without a dot, as it is for a folder run.
QString qtNameFilter(const QString& description, const QString& patterns) {
  QStringList qtPatterns = patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts);
  for (QString& pattern : qtPatterns)
    if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
  return description + QStringLiteral(" (") + qtPatterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

QStringList qtNameFilters(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) filters.append(qtNameFilter(parts[i], parts[i + 1]));
  return filters;
}

// One file: its path. Several: their folder, then NUL and each name.
QString selectionText(const QStringList& files) {
  if (files.size() == 1) return files.front();
  QString text = QFileInfo(files.front()).absolutePath();
  for (const QString& file : files) text += QChar(u'\0') + QFileInfo(file).fileName();
  return text;
}

}  // namespace

void CommonDialog::ShowOpen() {
  OpenFilesRequest request;
  request.startFolder = InitDir;
  request.nameFilters = qtNameFilters(Filter);
  request.filterIndex = FilterIndex >= 1 && FilterIndex <= request.nameFilters.size() ? FilterIndex - 1 : 0;

  const std::optional<OpenFilesAnswer> answer = fileDialogs_.chooseFilesToOpen(owner_, request);
  if (!answer) {
    if (CancelError) throw DialogError{kErrorCancelled, kSource, QStringLiteral("Cancel was selected.")};
    return;
  }
  const QString selection = selectionText(answer->files);
  if (selection.size() > MaxFileSize)
    throw DialogError{kErrorSelectionTooLong, kSource, QStringLiteral("Buffer too small")};
  FileName = selection;
  FileTitle = answer->files.size() == 1 ? QFileInfo(answer->files.front()).fileName() : QString();
  if (answer->filterIndex >= 0) FilterIndex = answer->filterIndex + 1;
}

}  // namespace sorvane::platform
