#include "preview_window/frm_preview.h"

#include "preview_window/marked_line_delegate.h"
#include "preview_window/preview_model.h"
#include "preview_window/tick_box_edge_style.h"
#include "viewer/file_viewer.h"
#include "platform/dialog_error.h"
#include "platform/file_names.h"
#include "platform/help_engine.h"
#include "platform/help_file.h"
#include "platform/message_boxes.h"
#include "platform/twips.h"
#include "settings/preview_picture.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeView>
#include <utility>

namespace sorvane::preview {
namespace {

// Often enough that the progress line seems to follow the search, seldom enough to cost nothing.
constexpr std::chrono::milliseconds kProgressInterval{50};
// Between two takes of what the search found: the list is laid out and painted once for many
// small files, not for each.
constexpr std::chrono::milliseconds kTakesApart{25};

QString counted(std::int64_t count, const char* one, const char* many) {
  return QStringLiteral("%1 %2").arg(QLocale().toString(qlonglong{count}), QLatin1String(count == 1 ? one : many));
}

QPushButton* plainButton(const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  // Enter on a row opens the viewer: no button of this window is pressed by Enter.
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

}  // namespace

frmPreview::frmPreview(RunRequest request, EngineOptions options, const platform::Services& services,
                       settings::SettingsStore& store, QWidget* owner, std::int64_t listedOccurrences)
    : QDialog(owner),
      lstOccurrences(new QTreeView(this)),
      lblStatus(new QLabel(this)),
      lblBound(new QLabel(this)),
      cmdStop(plainButton(tr("Stop"), this)),
      cmdReplace(plainButton(tr("&Replace"), this)),
      cmdClose(plainButton(tr("Close"), this)),
      request_(std::move(request)),
      messageBoxes_(services.messageBoxes),
      helpEngine_(services.helpEngine),
      store_(store),
      model_(new PreviewModel(this)),
      viewer_(std::make_unique<viewer::FileViewer>(*this, services)) {
  // The search reads while the window lays itself out. What it finds is taken as soon as the
  // window is free, and its end seen at once.
  const auto takeSoon = [this] { QMetaObject::invokeMethod(this, &frmPreview::searchNews, Qt::QueuedConnection); };
  search_ = std::make_unique<PreviewSearch>(request_, options, listedOccurrences, PreviewSearch::kLinesHandedOutEvery,
                                            takeSoon);
  setWindowTitle(tr("Preview"));
  setWindowModality(Qt::WindowModal);
  layOut();
  connect(cmdStop, &QPushButton::clicked, this, [this] { search_->stop(); });
  connect(cmdReplace, &QPushButton::clicked, this, &frmPreview::cmdReplace_Click);
  connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
  connect(lstOccurrences, &QTreeView::doubleClicked, this, &frmPreview::openViewer);
  connect(model_, &PreviewModel::choiceChanged, this, [this] {
    enableReplace();
    showStatus();
  });
  connect(model_, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex& parent, int first, int last) {
    if (parent.isValid()) return;
    // A file's row shows its path across the whole width.
    for (int row = first; row <= last; ++row) {
      lstOccurrences->setFirstColumnSpanned(row, {}, true);
      lstOccurrences->expand(model_->index(row, 0));
    }
    fitLineColumn();
  });
  lstOccurrences->installEventFilter(this);

  takeLater_.setSingleShot(true);
  takeLater_.setInterval(kTakesApart);
  connect(&takeLater_, &QTimer::timeout, this, [this] {
    if (std::exchange(newsWaiting_, false)) takeFound();
  });
  connect(&progress_, &QTimer::timeout, this, &frmPreview::showStatus);
  progress_.start(kProgressInterval);
  showStatus();
}

frmPreview::~frmPreview() = default;

void frmPreview::layOut() {
  lstOccurrences->setModel(model_);
  auto* edgedTickBoxes = new TickBoxEdgeStyle;
  edgedTickBoxes->setParent(lstOccurrences);
  lstOccurrences->setStyle(edgedTickBoxes);
  lstOccurrences->setUniformRowHeights(true);  // a long list is laid out without measuring each row
  lstOccurrences->setAllColumnsShowFocus(true);
  lstOccurrences->setSelectionBehavior(QAbstractItemView::SelectRows);
  lstOccurrences->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lstOccurrences->setTextElideMode(Qt::ElideMiddle);
  lstOccurrences->setItemDelegateForColumn(PreviewModel::BeforeColumn,
                                           new MarkedLineDelegate(MarkedLineDelegate::Side::AsItIs, this));
  lstOccurrences->setItemDelegateForColumn(PreviewModel::AfterColumn,
                                           new MarkedLineDelegate(MarkedLineDelegate::Side::AsItWillBe, this));
  lstOccurrences->header()->setStretchLastSection(true);
  lstOccurrences->setColumnWidth(PreviewModel::LineColumn, 110);
  lstOccurrences->setColumnWidth(PreviewModel::BeforeColumn, 360);
  lblStatus->setTextFormat(Qt::PlainText);
  lblBound->setTextFormat(Qt::PlainText);
  lblBound->setWordWrap(true);
  lblBound->hide();
  cmdReplace->setEnabled(false);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(lblBound, 1);
  buttons->addStretch();  // the buttons keep their size on the right when the line is hidden
  buttons->addWidget(cmdStop);
  buttons->addWidget(cmdReplace);
  buttons->addWidget(cmdClose);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblStatus);
  layout->addWidget(lstOccurrences, 1);
  layout->addLayout(buttons);
  resize(840, 480);
  const settings::PreviewPicture picture = settings::readPreviewPicture(store_);
  if (picture.width && picture.height) resize(platform::toPixels(*picture.width), platform::toPixels(*picture.height));
  for (int column = 0; column < static_cast<int>(picture.columnWidths.size()); ++column)
    if (const std::optional<float> width = picture.columnWidths[static_cast<std::size_t>(column)])
      lstOccurrences->setColumnWidth(column, platform::toPixels(*width));
}

// Whichever way the window closes, the next one opens as this one was.
void frmPreview::done(int result) {
  const QSize size = isMaximized() || isMinimized() ? normalGeometry().size() : this->size();
  settings::PreviewPicture picture{platform::toTwips(size.width()), platform::toTwips(size.height()), {}};
  for (int column = 0; column < static_cast<int>(picture.columnWidths.size()); ++column)
    picture.columnWidths[static_cast<std::size_t>(column)] = platform::toTwips(lstOccurrences->columnWidth(column));
  settings::writePreviewPicture(store_, picture);
  QDialog::done(result);
}

// The column grows to show the largest line number whole, never shrinking what the user widened.
void frmPreview::fitLineColumn() {
  const QModelIndex widest = model_->widestLineNumber();
  if (!widest.isValid()) return;
  QStyleOptionViewItem option;
  option.initFrom(lstOccurrences);
  option.font = lstOccurrences->font();
  const int branches = lstOccurrences->indentation() * (lstOccurrences->rootIsDecorated() ? 2 : 1);
  const int needed = branches + lstOccurrences->itemDelegateForIndex(widest)->sizeHint(option, widest).width();
  if (lstOccurrences->columnWidth(PreviewModel::LineColumn) < needed)
    lstOccurrences->setColumnWidth(PreviewModel::LineColumn, needed);
}

void frmPreview::searchNews() {
  if (takeLater_.isActive()) {
    newsWaiting_ = true;
    return;
  }
  takeFound();
  takeLater_.start();
}

void frmPreview::takeFound() {
  if (!search_) return;
  std::vector<FoundFile> found = search_->takeFound();
  // Whatever comes after the take is told again, the end too.
  const bool ended = search_->finished();
  model_->append(std::move(found));
  if (ended)
    searchEnded();
  else
    showStatus();
}

void frmPreview::searchEnded() {
  progress_.stop();
  endedEarly_ = search_->endedEarly();
  filesSearched_ = search_->filesSearched();
  binaryPassedOver_ = search_->binaryPassedOver();
  lastSearched_ = search_->currentFile();
  search_.reset();
  cmdStop->hide();
  showStatus();
  if (model_->listedOccurrences() < model_->occurrences()) {
    lblBound->setText(tr("Only the first %1 occurrences are listed; a file's others are replaced while its box is "
                         "fully ticked.")
                          .arg(QLocale().toString(qlonglong{model_->listedOccurrences()})));
    lblBound->show();
  }
  enableReplace();
}

// Files not listed yet would be left out of the run: Replace waits for the search to end.
void frmPreview::enableReplace() { cmdReplace->setEnabled(!searching() && model_->anythingChosen()); }

void frmPreview::showStatus() {
  const int countedFiles = model_->files() - model_->unreadFiles() - model_->filesBeingRead();
  QString status = tr("%1 in %2").arg(counted(model_->occurrences(), "occurrence", "occurrences"),
                                      counted(countedFiles, "file", "files"));
  if (model_->unreadFiles() > 0)
    status += QStringLiteral(", ") + counted(model_->unreadFiles(), "file could not be read", "files could not be read");
  const std::int64_t binary = searching() ? search_->binaryPassedOver() : binaryPassedOver_;
  if (binary > 0)
    status += QStringLiteral(", ") + counted(binary, "binary file passed over", "binary files passed over");
  if (searching())
    status = tr("Searching: %1 searched, ").arg(counted(search_->filesSearched(), "file", "files")) + status;
  else if (endedEarly_)
    status = tr("Stopped: ") + status;
  // Said before Replace is pressed: a partly ticked file keeps what the list does not show.
  if (const std::int64_t kept = model_->unlistedKept(); kept > 0)
    status += QStringLiteral("; ") + counted(kept, "occurrence not listed is left as it is",
                                             "occurrences not listed are left as they are");
  const QString current = searching() ? platform::shownPath(search_->currentFile()) : QString();
  lblStatus->setText(current.isEmpty() ? status : status + QStringLiteral(" - ") + current);
}

void frmPreview::openViewer(const QModelIndex& index) {
  if (!index.isValid()) return;
  const Qt::CaseSensitivity caseSensitivity =
      request_.terms.compare == CompareMode::Binary ? Qt::CaseSensitive : Qt::CaseInsensitive;
  viewer_->showFile(platform::shownPath(model_->pathOf(index)), model_->lineOf(index),
                    {model_->occurrenceOf(index), model_->ordinalInLine(index), caseSensitivity});
}

std::string frmPreview::foundUnder() const {
  const auto* folder = std::get_if<FolderRun>(&request_.over);
  return folder ? folder->path : std::string();
}

// A search that was stopped leaves files unseen, which keep the term whatever the user ticked.
bool frmPreview::replaceAfterStop() {
  const auto* list = std::get_if<FileList>(&request_.over);
  const std::int64_t files = list ? list->count() : 0;
  const QString searched =
      list
          ? tr("The search was stopped after %1 of %2. Replace leaves %3 as %4.")
                .arg(QLocale().toString(qlonglong{filesSearched_}),
                     counted(files, "file", "files"),
                     counted(files - filesSearched_, "file not searched", "files not searched"),
                     files - filesSearched_ == 1 ? tr("it is") : tr("they are"))
          : tr("The search of %1 was stopped after %2, at %3. Replace leaves the files after it, not searched, as "
               "they are.")
                .arg(platform::shownPath(foundUnder()), counted(filesSearched_, "file", "files"),
                     platform::shownPath(lastSearched_));
  const QString question = searched + QStringLiteral("\r\r") + tr("Replace in the files searched?");
  return messageBoxes_.show(this, question, MessageStyle::YesNoQuestion, QString::fromLatin1(kApplicationTitle)) ==
         MessageAnswer::Yes;
}

void frmPreview::cmdReplace_Click() {
  if (endedEarly_ && !replaceAfterStop()) return;
  RunRequest run{request_.terms, PreviewedFiles{model_->chosenFiles(), foundUnder()},
                 false};
  accept();
  emit replaceChosen(run);
}

// Esc stops a search under way; once it has ended, Esc closes the window.
void frmPreview::keyPressEvent(QKeyEvent* event) {
  const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  if (event->key() == Qt::Key_Escape && plain && searching()) {
    cmdStop->click();
    return;
  }
  if (plain && event->key() == Qt::Key_F1) {
    try {
      helpEngine_.show(this, platform::helpFilePath(), platform::kHelpKey, QStringLiteral("preview"));
    } catch (const platform::DialogError&) {
      // Help that cannot be shown ends the command without a message, as in the main window.
    }
    return;
  }
  // A focused button takes Enter, as in every other window; no button is the default.
  if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
    if (auto* focused = qobject_cast<QPushButton*>(focusWidget()); focused && focused->isEnabled()) focused->click();
    return;
  }
  QDialog::keyPressEvent(event);
}

bool frmPreview::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lstOccurrences && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      openViewer(lstOccurrences->currentIndex());
      return true;
    }
    // Space ticks or clears the current row's box from whichever of its columns is current.
    if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier) {
      const QModelIndex box = lstOccurrences->currentIndex().siblingAtColumn(PreviewModel::LineColumn);
      if (box.isValid())
        model_->setData(box, box.data(Qt::CheckStateRole).toInt() == Qt::Checked ? Qt::Unchecked : Qt::Checked,
                        Qt::CheckStateRole);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace sorvane::preview
