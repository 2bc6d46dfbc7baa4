#include "settings/stored_folder.h"

#include "settings/settings_keys.h"
#include "settings/settings_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace sorvane::settings {
namespace {

// Written with or without a closing slash, or through a link to it.
bool sameFolder(const QString& a, const QString& b) {
  if (QDir::cleanPath(a) == QDir::cleanPath(b)) return true;
  const QString canonical = QFileInfo(a).canonicalFilePath();
  return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

}  // namespace

QString storedFolder(const SettingsStore& store) {
  const QString path = store.GetSetting(kSectionSettings, kPath, QString());
  if (path.isEmpty() || sameFolder(path, QCoreApplication::applicationDirPath())) return {};
  return path;
}

}  // namespace sorvane::settings
