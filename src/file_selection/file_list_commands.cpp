#include "file_selection/file_list_commands.h"

#include "engine/failure_report/failure_report.h"
#include "engine/files/failure.h"
#include "file_selection/lost_name.h"
#include "platform/common_dialog.h"
#include "platform/dialog_error.h"
#include "platform/event_pump.h"
#include "platform/file_names.h"
#include "platform/message_boxes.h"
#include "settings/conversions.h"
#include "settings/settings_keys.h"
#include "settings/settings_store.h"
#include "settings/stored_folder.h"
#include "vocabulary/vocabulary.h"

#include <QDir>
#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QUrl>
#include <sys/stat.h>

namespace sorvane::file_selection {
namespace {

constexpr int kMaxSelectionLength = 32767;
constexpr long kOpenFlags = 2628100;  // hide read-only, several files, existing paths only
constexpr int kErrorTypeMismatch = 13;
constexpr int kErrorOverflow = 6;

// Position (1-based) of the first NUL at or after `from` (1-based), 0 when there is none.
int nullPosition(const QString& text, int from) {
  const qsizetype found = text.indexOf(QChar(u'\0'), from - 1);
  return found < 0 ? 0 : static_cast<int>(found) + 1;
}

// A stored filter index that is not a 16-bit number fails as a conversion does.
int filterIndexFrom(const QString& stored) {
  bool isNumber = false;
  stored.trimmed().toDouble(&isNumber);
  const QString source = QString::fromLatin1(kApplicationTitle);
  if (!isNumber) throw platform::DialogError{kErrorTypeMismatch, source, QStringLiteral("Type mismatch")};
  const std::optional<int> index = settings::textToInteger16(stored);
  if (!index) throw platform::DialogError{kErrorOverflow, source, QStringLiteral("Overflow")};
  return *index;
}

// The path of each local file, from the bytes its address holds: a name that is not UTF-8
// keeps them.
QStringList localFiles(const QMimeData& data) {
  QStringList files;
  for (const QUrl& url : data.urls()) {
    if (!url.isLocalFile()) continue;
    if (!url.host().isEmpty()) {
      files.append(url.toLocalFile());
      continue;
    }
    const QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    files.append(platform::shownPath(path.toStdString()));
  }
  return files;
}

bool isPlainVisibleFile(const QString& path) {
  struct stat status {};
  return ::stat(platform::fileSystemPath(path).c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
         !path.section(QLatin1Char('/'), -1).startsWith(QLatin1Char('.'));
}

}  // namespace

const QString kOpenFilter = QStringLiteral(
    "All Files (*.*)|*.*|JavaScript Files (*.js)|*.js|HTML Files (*.htm;*.html)|*.htm;*.html|Text Files"
    "(*.txt)|*.txt");

FileListCommands::FileListCommands(QListWidget& list, platform::CommonDialog& dialog, settings::SettingsStore& store,
                                   const platform::Services& services)
    : list_(list), dialog_(dialog), store_(store), services_(services) {
  list.setAcceptDrops(true);
  list.viewport()->setAcceptDrops(true);
  list.setDragDropMode(QAbstractItemView::DropOnly);
  list.viewport()->installEventFilter(this);
}

void FileListCommands::cmdOpen_Click() {
  if (busy_) return;
  platform::CommonDialog& dialog = dialog_;
  dialog.CancelError = true;
  try {
    using namespace settings;
    const QString folder = storedFolder(store_);
    dialog.InitDir = folder.isEmpty() ? QDir::homePath() : folder;
    dialog.FileName.clear();
    dialog.MaxFileSize = kMaxSelectionLength;
    dialog.Flags = kOpenFlags;
    dialog.Filter = kOpenFilter;
    dialog.FilterIndex = filterIndexFrom(
        store_.GetSetting(kSectionSettings, kOpenFilterIndex, QString::number(kDefaultOpenFilterIndex)));
    dialog.ShowOpen();
    store_.SaveSetting(kSectionSettings, kOpenFilterIndex, QString::number(dialog.FilterIndex));

    ZemPathFile = dialog.FileName;
    ZemNextNull = nullPosition(ZemPathFile, 1);
    bListWasEmpty = list_.count() == 0;
    if (ZemNextNull == 0) {
      addChosen(ZemPathFile);
      store_.SaveSetting(kSectionSettings, kPath, dialog.FileName.left(dialog.FileName.size() - dialog.FileTitle.size()));
      return;
    }
    ZemPath = ZemPathFile.left(ZemNextNull - 1);
    store_.SaveSetting(kSectionSettings, kPath, ZemPath + QLatin1Char('/'));
    busy_ = true;
    while (true) {
      ZemPreviousNull = ZemNextNull;
      ZemNextNull = nullPosition(ZemPathFile, ZemPreviousNull + 1);
      if (ZemNextNull == 0) break;
      ZemFile = ZemPathFile.mid(ZemPreviousNull, ZemNextNull - ZemPreviousNull - 1);
      addChosen(ZemPath + QLatin1Char('/') + ZemFile);
      services_.eventPump.processPendingEvents();
    }
    busy_ = false;
    ZemFile = ZemPathFile.right(ZemPathFile.size() - ZemPreviousNull);
    addChosen(ZemPath + QLatin1Char('/') + ZemFile);
  } catch (const platform::DialogError& error) {
    busy_ = false;
    if (error.number != platform::kErrorCancelled) showOpenFailure(error.number, error.source, error.description);
  }
}

void FileListCommands::showOpenFailure(int number, const QString& source, const QString& description) {
  const char* headline = number == platform::kErrorSelectionTooLong
                             ? "Windows cannot open this many files at once. Try opening fewer files."
                             : "The following error occured:";
  const Failure failure{number, source.toStdString(), description.toStdString()};
  services_.messageBoxes.show(list_.window(), QString::fromStdString(messages::failureReport(headline, failure)),
                              MessageStyle::Critical, QString::fromLatin1(kApplicationTitle));
}

void FileListCommands::addChosen(const QString& path) {
  if (!refusedAsLost(path, services_.messageBoxes, list_.window())) AddListItem(path);
}

void FileListCommands::AddListItem(const QString& NewListItem) {
  if (bListWasEmpty || CheckForListDuplicate(NewListItem) == 0) list_.addItem(NewListItem);
}

int FileListCommands::CheckForListDuplicate(const QString& NewListItem) const {
  const QString wanted = NewListItem.toUpper();
  for (int i = 0; i < list_.count(); ++i)
    if (list_.item(i)->text().toUpper() == wanted) return kDuplicate;
  return 0;
}

void FileListCommands::cmdClose_Click() {
  if (busy_ || list_.currentRow() == -1 || list_.count() < 1) return;
  busy_ = true;
  for (int i = list_.count() - 1; i >= 0; --i) {
    if (!list_.item(i)->isSelected()) continue;
    delete list_.takeItem(i);
    services_.eventPump.processPendingEvents();
  }
  busy_ = false;
}

void FileListCommands::cmdCloseAll_Click() {
  if (!busy_) list_.clear();
}

void FileListCommands::lstFiles_OLEDragDrop(const QStringList& droppedFiles) {
  if (busy_) return;
  bListWasEmpty = list_.count() == 0;
  for (const QString& name : droppedFiles) {
    // Plain files only: folders, hidden files and anything else are passed over in silence.
    if (isPlainVisibleFile(name)) AddListItem(name);
    else refusedAsLost(name, services_.messageBoxes, list_.window());
  }
}

bool FileListCommands::eventFilter(QObject* watched, QEvent* event) {
  if (watched != list_.viewport()) return false;
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDropEvent*>(event);
      if (drag->mimeData()->hasUrls() && !localFiles(*drag->mimeData()).isEmpty()) drag->acceptProposedAction();
      else drag->ignore();
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      lstFiles_OLEDragDrop(localFiles(*drop->mimeData()));
      drop->acceptProposedAction();
      return true;
    }
    default:
      return false;
  }
}

}  // namespace sorvane::file_selection
