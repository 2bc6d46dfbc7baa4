#include "preview_window/preview_model.h"

#include "platform/file_names.h"

#include <QLocale>
#include <QPoint>
#include <algorithm>
#include <tuple>

namespace sorvane::preview {
namespace {

// A line end inside an occurrence is shown as a sign, so each row stays one line high.
QString shown(const std::string& text) {
  QString decoded = QString::fromStdString(text);
  decoded.replace(QLatin1Char('\n'), QChar(0x21B5));
  return decoded;
}

QString lineNumbers(const PreviewLine& line) {
  if (line.lastNumber > line.number) return QStringLiteral("%1-%2").arg(line.number).arg(line.lastNumber);
  return QString::number(line.number);
}

// The characters of lineNumbers(line), counted without making its text: every row is measured.
qsizetype lineNumbersLength(const PreviewLine& line) {
  const auto digits = [](std::int64_t number) {
    qsizetype count = 1;
    for (; number >= 10; number /= 10) ++count;
    return count;
  };
  return digits(line.number) + (line.lastNumber > line.number ? 1 + digits(line.lastNumber) : 0);
}

// Rows that are no file's: the files' own rows.
constexpr quintptr kFileRows = 0;

}  // namespace

PreviewModel::PreviewModel(QObject* parent) : QAbstractItemModel(parent) {}

PreviewModel::~PreviewModel() = default;

void PreviewModel::append(std::vector<FoundFile> found) {
  auto next = found.begin();
  if (next != found.end() && !files_.empty() && !files_.back()->complete) continueLastFile(*next++);
  // A piece that counts nothing ends a file the window never saw.
  const auto counts = [](const FoundFile& file) { return file.failure || file.preview.occurrences > 0 || !file.complete; };
  const auto added = static_cast<int>(std::count_if(next, found.end(), counts));
  if (added > 0) {
    const int first = static_cast<int>(files_.size());
    beginInsertRows({}, first, first + added - 1);
    for (; next != found.end(); ++next) {
      if (!counts(*next)) continue;
      FoundFile& foundFile = *next;
      auto file = std::make_unique<File>();
      file->path = std::move(foundFile.path);
      file->shownPath = platform::shownPath(file->path);
      file->preview = foundFile.preview;
      file->failure = std::move(foundFile.failure);
      file->complete = foundFile.complete;
      unreadFiles_ += file->failure ? 1 : 0;
      addRows(*file, files_.size(), foundFile.lines, foundFile.listed);
      if (file->complete) occurrences_ += file->preview.occurrences;
      files_.push_back(std::move(file));
    }
    endInsertRows();
  }
  emit choiceChanged();
}

void PreviewModel::continueLastFile(FoundFile& piece) {
  const std::size_t fileRow = files_.size() - 1;
  File& file = *files_.back();
  const QModelIndex fileIndex = index(static_cast<int>(fileRow), 0);
  if (piece.complete && piece.preview.occurrences == 0) {
    beginRemoveRows({}, static_cast<int>(fileRow), static_cast<int>(fileRow));
    listed_ -= static_cast<std::int64_t>(file.rows.size());
    files_.pop_back();
    endRemoveRows();
    if (widestFile_ == fileRow) findWidestLineNumber();
    return;
  }
  const std::size_t before = file.rows.size();
  if (piece.listed > 0) {
    beginInsertRows(fileIndex, static_cast<int>(before), static_cast<int>(before + piece.listed) - 1);
    addRows(file, fileRow, piece.lines, piece.listed);
    // A cleared file's occurrences come cleared too.
    for (std::size_t row = before; file.state == Qt::Unchecked && row < file.rows.size(); ++row) {
      file.rows[row].chosen = false;
      --file.chosenRows;
    }
    endInsertRows();
  }
  if (piece.complete) {
    file.complete = true;
    file.preview = piece.preview;
    occurrences_ += file.preview.occurrences;
  }
  emit dataChanged(fileIndex, fileIndex);
}

void PreviewModel::addRows(File& file, std::size_t fileRow, const std::vector<std::shared_ptr<const PreviewLine>>& lines,
                           std::int64_t listed) {
  const std::size_t first = file.rows.size();
  const auto last = first + static_cast<std::size_t>(listed);
  file.rows.reserve(last);
  for (const std::shared_ptr<const PreviewLine>& line : lines) {
    const auto firstRow = static_cast<std::uint32_t>(file.rows.size());
    for (std::uint32_t segment = 0; segment < line->segments.size() && file.rows.size() < last; ++segment)
      if (line->segments[segment].occurrence) file.rows.push_back({line, segment, firstRow});
  }
  for (std::size_t row = first; row < file.rows.size(); ++row)
    if (const qsizetype length = lineNumbersLength(*file.rows[row].line); length > widestLength_)
      std::tie(widestFile_, widestRow_, widestLength_) = std::tuple(fileRow, row, length);
  file.chosenRows += file.rows.size() - first;
  listed_ += static_cast<std::int64_t>(file.rows.size() - first);
  if (!file.complete) file.preview.occurrences = static_cast<std::int64_t>(file.rows.size());
}

void PreviewModel::findWidestLineNumber() {
  widestLength_ = 0;
  for (std::size_t fileRow = 0; fileRow < files_.size(); ++fileRow)
    for (std::size_t row = 0; row < files_[fileRow]->rows.size(); ++row)
      if (const qsizetype length = lineNumbersLength(*files_[fileRow]->rows[row].line); length > widestLength_)
        std::tie(widestFile_, widestRow_, widestLength_) = std::tuple(fileRow, row, length);
}

PreviewModel::File* PreviewModel::fileOf(const QModelIndex& index) const {
  if (!index.isValid()) return nullptr;
  if (index.internalId() == kFileRows) return files_[static_cast<std::size_t>(index.row())].get();
  return files_[index.internalId() - 1].get();
}

std::string PreviewModel::pathOf(const QModelIndex& index) const {
  const File* file = fileOf(index);
  return file ? file->path : std::string();
}

std::int64_t PreviewModel::lineOf(const QModelIndex& index) const {
  if (!index.isValid() || index.internalId() == kFileRows) return 1;
  return fileOf(index)->rows[static_cast<std::size_t>(index.row())].line->number;
}

QString PreviewModel::occurrenceOf(const QModelIndex& index) const {
  if (!index.isValid() || index.internalId() == kFileRows) return {};
  const Occurrence& row = fileOf(index)->rows[static_cast<std::size_t>(index.row())];
  return QString::fromStdString(row.line->segments[row.segment].text);
}

// The rows of one line, its continued pieces too, stand together in the file's order.
int PreviewModel::ordinalInLine(const QModelIndex& index) const {
  if (!index.isValid() || index.internalId() == kFileRows) return 0;
  const std::vector<Occurrence>& rows = fileOf(index)->rows;
  const auto at = static_cast<std::size_t>(index.row());
  std::size_t first = at;
  while (first > 0 && rows[first - 1].line->number == rows[at].line->number) --first;
  return static_cast<int>(at - first);
}

QModelIndex PreviewModel::index(int row, int column, const QModelIndex& parent) const {
  if (row < 0 || column < 0 || column >= ColumnCount) return {};
  if (!parent.isValid())
    return row < files() ? createIndex(row, column, kFileRows) : QModelIndex();
  if (parent.internalId() != kFileRows) return {};
  const File& file = *files_[static_cast<std::size_t>(parent.row())];
  if (static_cast<std::size_t>(row) >= file.rows.size()) return {};
  return createIndex(row, column, static_cast<quintptr>(parent.row()) + 1);
}

QModelIndex PreviewModel::parent(const QModelIndex& index) const {
  if (!index.isValid() || index.internalId() == kFileRows) return {};
  return createIndex(static_cast<int>(index.internalId() - 1), 0, kFileRows);
}

int PreviewModel::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid()) return files();
  if (parent.internalId() != kFileRows || parent.column() != 0) return 0;
  return static_cast<int>(files_[static_cast<std::size_t>(parent.row())]->rows.size());
}

int PreviewModel::columnCount(const QModelIndex&) const { return ColumnCount; }

QVariant PreviewModel::data(const QModelIndex& index, int role) const {
  const File* file = fileOf(index);
  if (file == nullptr) return {};
  if (index.internalId() == kFileRows) return fileData(*file, index.column(), role);
  return occurrenceData(*file, file->rows[static_cast<std::size_t>(index.row())], index.column(), role);
}

QVariant PreviewModel::fileData(const File& file, int column, int role) const {
  if (column != LineColumn) return {};
  if (role == Qt::CheckStateRole) return file.state;
  if (role == Qt::DisplayRole && file.failure)
    return QStringLiteral("%1: %2 (error %3)")
        .arg(file.shownPath, QString::fromStdString(file.failure->description), QString::number(file.failure->number));
  if (role == Qt::DisplayRole)
    return QStringLiteral("%1 (%2)").arg(file.shownPath, QLocale().toString(qlonglong{file.preview.occurrences}));
  if (role == Qt::ToolTipRole) return file.shownPath;
  return {};
}

QVariant PreviewModel::occurrenceData(const File& file, const Occurrence& row, int column, int role) const {
  const PreviewLine& line = *row.line;
  switch (column) {
    case LineColumn:
      if (role == Qt::CheckStateRole) return row.chosen ? Qt::Checked : Qt::Unchecked;
      if (role == Qt::DisplayRole) return lineNumbers(line);
      return {};
    case BeforeColumn: {
      if (role != Qt::DisplayRole && role != MarkRole && role != Qt::ToolTipRole) return {};
      QString text;
      QPoint mark;
      for (std::uint32_t i = 0; i < line.segments.size(); ++i) {
        const QString piece = shown(line.segments[i].text);
        if (i == row.segment) mark = QPoint(static_cast<int>(text.size()), static_cast<int>(piece.size()));
        text += piece;
      }
      return role == MarkRole ? QVariant(mark) : QVariant(text);
    }
    case AfterColumn: {
      if (role != Qt::DisplayRole && role != MarkRole && role != Qt::ToolTipRole) return {};
      QPoint mark;
      const QString text = lineAfter(file, row, mark);
      return role == MarkRole ? QVariant(mark) : QVariant(text);
    }
    default:
      return {};
  }
}

QString PreviewModel::lineAfter(const File& file, const Occurrence& row, QPoint& mark) const {
  const PreviewLine& line = *row.line;
  QString text;
  std::uint32_t occurrenceRow = row.firstRow;
  for (std::uint32_t i = 0; i < line.segments.size(); ++i) {
    const PreviewSegment& segment = line.segments[i];
    bool replaced = false;
    if (segment.occurrence) {
      // An occurrence past the list's bound has no row: it is replaced only with the whole file.
      replaced = occurrenceRow < file.rows.size() ? file.rows[occurrenceRow].chosen : file.state == Qt::Checked;
      ++occurrenceRow;
    }
    const QString piece = shown(replaced ? segment.replacement : segment.text);
    if (i == row.segment) mark = QPoint(static_cast<int>(text.size()), static_cast<int>(piece.size()));
    text += piece;
  }
  return text;
}

bool PreviewModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  File* file = fileOf(index);
  if (file == nullptr || role != Qt::CheckStateRole || index.column() != LineColumn) return false;
  const auto state = static_cast<Qt::CheckState>(value.toInt());
  if (index.internalId() == kFileRows) {
    setFileState(*file, index.row(), state == Qt::Unchecked ? Qt::Unchecked : Qt::Checked);
  } else {
    setOccurrenceChosen(*file, static_cast<int>(index.internalId() - 1), index.row(), state != Qt::Unchecked);
  }
  emit choiceChanged();
  return true;
}

void PreviewModel::setFileState(File& file, int fileRow, Qt::CheckState state) {
  file.state = state;
  for (Occurrence& row : file.rows) row.chosen = state == Qt::Checked;
  file.chosenRows = state == Qt::Checked ? file.rows.size() : 0;
  const QModelIndex fileIndex = index(fileRow, 0);
  emit dataChanged(fileIndex, fileIndex, {Qt::CheckStateRole});
  if (!file.rows.empty())
    emit dataChanged(index(0, 0, fileIndex), index(static_cast<int>(file.rows.size()) - 1, AfterColumn, fileIndex));
}

void PreviewModel::setOccurrenceChosen(File& file, int fileRow, int row, bool chosen) {
  Occurrence& occurrence = file.rows[static_cast<std::size_t>(row)];
  if (occurrence.chosen == chosen) return;
  occurrence.chosen = chosen;
  file.chosenRows = chosen ? file.chosenRows + 1 : file.chosenRows - 1;
  file.state = file.chosenRows == file.rows.size() ? Qt::Checked
               : file.chosenRows == 0              ? Qt::Unchecked
                                                   : Qt::PartiallyChecked;
  const QModelIndex fileIndex = index(fileRow, 0);
  emit dataChanged(fileIndex, fileIndex, {Qt::CheckStateRole});
  // The other occurrences of the same line show it as it will be, with this one kept or replaced.
  const Occurrence& first = file.rows[occurrence.firstRow];
  const int lineRows = static_cast<int>(std::count_if(first.line->segments.begin(), first.line->segments.end(),
                                                      [](const PreviewSegment& s) { return s.occurrence; }));
  const int last = std::min(static_cast<int>(occurrence.firstRow) + lineRows, static_cast<int>(file.rows.size())) - 1;
  emit dataChanged(index(static_cast<int>(occurrence.firstRow), 0, fileIndex), index(last, AfterColumn, fileIndex));
}

Qt::ItemFlags PreviewModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (index.column() == LineColumn) flags |= Qt::ItemIsUserCheckable;
  return flags;
}

QVariant PreviewModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case LineColumn:
      return tr("Line");
    case BeforeColumn:
      return tr("As it is");
    case AfterColumn:
      return tr("As it will be");
    default:
      return {};
  }
}

std::vector<ChosenFile> PreviewModel::chosenFiles() const {
  std::vector<ChosenFile> chosenFiles;
  for (const std::unique_ptr<File>& file : files_) {
    // A file still being read has no count to check a run against.
    if (file->state == Qt::Unchecked || !file->complete) continue;
    ChosenFile chosen{file->path, file->preview.fingerprint, {}};
    for (const Occurrence& row : file->rows)
      if (!row.chosen) chosen.occurrences.drop(row.line->segments[row.segment].index);
    // The user chose among the listed ones: what the list does not show is not replaced.
    if (file->state == Qt::PartiallyChecked) chosen.occurrences.dropFrom(static_cast<std::int64_t>(file->rows.size()));
    chosenFiles.push_back(std::move(chosen));
  }
  return chosenFiles;
}

std::int64_t PreviewModel::unlistedKept() const {
  std::int64_t kept = 0;
  for (const std::unique_ptr<File>& file : files_)
    if (file->state == Qt::PartiallyChecked) kept += file->preview.occurrences - static_cast<std::int64_t>(file->rows.size());
  return kept;
}

QModelIndex PreviewModel::widestLineNumber() const {
  if (widestLength_ == 0) return {};
  return index(static_cast<int>(widestRow_), LineColumn, index(static_cast<int>(widestFile_), 0));
}

bool PreviewModel::anythingChosen() const {
  for (const std::unique_ptr<File>& file : files_)
    if (file->state != Qt::Unchecked) return true;
  return false;
}

}  // namespace sorvane::preview
