#pragma once

#include "engine/run/chosen_files.h"
#include "preview_window/preview_search.h"

#include <QAbstractItemModel>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace sorvane::preview {

// The preview's list: a row for each file that holds occurrences, with its count and its box
// (or that could not be read, with its failure and its box, so Replace shows that failure),
// and under it a row for each listed occurrence: the line number, the line as it is and as it
// will be, and a box. Clearing a file clears its occurrences; a file's occurrences that are not
// listed are replaced only while its box is fully checked.
class PreviewModel final : public QAbstractItemModel {
  Q_OBJECT
 public:
  enum Column { LineColumn, BeforeColumn, AfterColumn, ColumnCount };
  // The part of a line's text that an occurrence, or its replacement, takes: a QPoint of its
  // first character and its length.
  static constexpr int MarkRole = Qt::UserRole;

  explicit PreviewModel(QObject* parent = nullptr);
  ~PreviewModel() override;

  // Adds what the search found at the end: files, and more of the file still being read.
  void append(std::vector<FoundFile> files);
  std::int64_t occurrences() const { return occurrences_; }
  std::int64_t listedOccurrences() const { return listed_; }
  int files() const { return static_cast<int>(files_.size()); }
  int unreadFiles() const { return unreadFiles_; }
  // 1 while the last file is still being read: its rows show, but it is not counted yet.
  int filesBeingRead() const { return !files_.empty() && !files_.back()->complete ? 1 : 0; }

  // The path and line the viewer opens for a row: line 1 for a file's row.
  std::string pathOf(const QModelIndex& index) const;
  std::int64_t lineOf(const QModelIndex& index) const;
  // An occurrence row's occurrence as the line shows it, and how many come before it on its line.
  QString occurrenceOf(const QModelIndex& index) const;
  int ordinalInLine(const QModelIndex& index) const;
  // What Replace rewrites: the checked occurrences of the checked files, in the order shown.
  std::vector<ChosenFile> chosenFiles() const;
  // The occurrence whose line number takes the most characters, for the column's width.
  QModelIndex widestLineNumber() const;
  // True when Replace would rewrite anything.
  bool anythingChosen() const;
  // The occurrences without a row that Replace leaves as they are: those of partly checked files.
  std::int64_t unlistedKept() const;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& index) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 signals:
  void choiceChanged();

 private:
  struct Occurrence {
    std::shared_ptr<const PreviewLine> line;
    std::uint32_t segment;    // its segment of the line
    std::uint32_t firstRow;   // the row of the line's first occurrence
    bool chosen = true;
  };
  struct File {
    std::string path;
    QString shownPath;
    FilePreview preview;  // for an unread file, a fingerprint that no file matches
    std::optional<Failure> failure;
    std::vector<Occurrence> rows;
    std::size_t chosenRows = 0;
    Qt::CheckState state = Qt::Checked;
    bool complete = true;  // false while it is read: its count is its rows so far
  };

  // Gives the last file, still being read, the rest that was found of it; a file that counts
  // nothing in the end goes.
  void continueLastFile(FoundFile& piece);
  // Adds rows for the listed occurrences of `lines` to the file at `fileRow`.
  void addRows(File& file, std::size_t fileRow, const std::vector<std::shared_ptr<const PreviewLine>>& lines,
               std::int64_t listed);
  void findWidestLineNumber();
  File* fileOf(const QModelIndex& index) const;
  QVariant fileData(const File& file, int column, int role) const;
  QVariant occurrenceData(const File& file, const Occurrence& row, int column, int role) const;
  // The line of `row` as it will be: each of its occurrences replaced if it is chosen.
  QString lineAfter(const File& file, const Occurrence& row, QPoint& mark) const;
  void setFileState(File& file, int fileRow, Qt::CheckState state);
  void setOccurrenceChosen(File& file, int fileRow, int row, bool chosen);

  std::vector<std::unique_ptr<File>> files_;
  std::int64_t occurrences_ = 0;
  std::int64_t listed_ = 0;
  int unreadFiles_ = 0;
  // Where the widest line number stands: its file and row, and its characters.
  std::size_t widestFile_ = 0;
  std::size_t widestRow_ = 0;
  qsizetype widestLength_ = 0;
};

}  // namespace sorvane::preview
