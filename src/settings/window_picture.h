#pragma once

#include "vocabulary/vocabulary.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace sorvane::settings {

class SettingsStore;

// What the store keeps of the main window, without the window: start-up reads a picture and
// the window applies it; at exit the window fills one and it is written. A field without a value
// is a stored text that does not convert (reading) or nothing to keep (writing); either way the
// window, or the store, keeps what it has.
struct WindowPicture {
  WindowState state = WindowState::Normal;
  std::optional<float> width;  // outer size in twips, in the normal state
  std::optional<float> height;
  std::optional<bool> folderMode;  // the two mode buttons
  std::optional<bool> fileMode;
  QString folder;  // empty when none was chosen
  QString findText;
  QString replaceText;
  std::optional<CheckValue> caseSensitive;
  std::optional<CheckValue> wholeWord;
  std::optional<CheckValue> regularExpression;
  std::optional<CheckValue> recursive;
  std::optional<CheckValue> rememberFiles;
  QString fileType;
  // Nothing when no count is stored: the list keeps the entries it has.
  std::optional<QStringList> recentFinds;
  std::optional<QStringList> recentReplaces;
  std::optional<QStringList> recentFileMasks;  // typed in the file-type box, newest first
  std::optional<QStringList> files;
};

// Reads what the last exit wrote, an empty store giving the first start's values. The state is
// Maximized only for a stored "True", exactly; then no size is read. The entry keys of the lists,
// and the file list's count, are deleted as they are read: until the next exit the entries live
// in the window alone.
WindowPicture readWindowPicture(SettingsStore& store);

// Writes the picture for the next start-up. Minimized, no window key is written; maximized, only
// the flag, so the normal size of an earlier exit stays. The files are written only while
// rememberFiles is Checked.
void writeWindowPicture(SettingsStore& store, const WindowPicture& picture);

}  // namespace sorvane::settings
