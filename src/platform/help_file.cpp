#include "platform/help_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace sorvane::platform {

QString helpFilePath() {
  const QString programFolder = QCoreApplication::applicationDirPath();
  const QString beside = programFolder + QStringLiteral("/Sorvane Help.hlp");
  const QString installed = QDir::cleanPath(programFolder + QStringLiteral("/../share/sorvane/Sorvane Help.hlp"));
  return !QFileInfo::exists(beside) && QFileInfo::exists(installed) ? installed : beside;
}

}  // namespace sorvane::platform
