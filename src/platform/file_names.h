#pragma once

#include <QFile>
#include <QString>
#include <string>

namespace sorvane::platform {

// Paths travel to and from the engine as the file system's own bytes; widgets show them decoded
// as the file system's locale says.
inline QString shownPath(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
inline std::string fileSystemPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace sorvane::platform
