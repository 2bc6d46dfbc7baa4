#include "platform/help_window.h"

#include "platform/dialog_error.h"
#include "platform/help_find_bar.h"
#include "vocabulary/vocabulary.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

namespace sorvane::platform {
namespace {

constexpr int kInvalidCall = 5;

const QString kTitle = QString::fromLatin1(kApplicationTitle);

QString cannotFindPage(const QString& path) {
  return QStringLiteral("<h3>%1 Help</h3><p>%1 cannot find the help file:</p><p><b>%2</b></p>")
      .arg(kTitle, QDir::toNativeSeparators(path).toHtmlEscaped());
}

}  // namespace

HelpWindowEngine::~HelpWindowEngine() { delete window_; }

void HelpWindowEngine::show(QWidget* owner, const QString& helpFile, int command, const QString& key) {
  if (command != kHelpContents && command != kHelpKey)
    throw DialogError{kInvalidCall, kTitle, QStringLiteral("Invalid procedure call or argument")};
  if (!window_) createWindow(owner);
  belongTo(owner);
  showPage(helpFile.isEmpty() ? QString() : QFileInfo(helpFile).absoluteFilePath(),
           command == kHelpKey ? key : QString());
  window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
  window_->show();
  window_->raise();
  window_->activateWindow();
}

void HelpWindowEngine::belongTo(QWidget* owner) {
  if (owner != nullptr) owner = owner->window();
  if (window_->parentWidget() != owner) window_->setParent(owner, Qt::Window);
  if (owner == nullptr || window_->isVisible()) return;
  QRect placed = window_->geometry();
  placed.moveCenter(owner->frameGeometry().center());
  window_->move(placed.topLeft());
}

void HelpWindowEngine::createWindow(QWidget* owner) {
  // Its owner's: kept above it, with its icon, and gone with it.
  window_ = new QWidget(owner != nullptr ? owner->window() : nullptr, Qt::Window);
  window_->setObjectName(QStringLiteral("helpWindow"));
  window_->setWindowTitle(kTitle + QStringLiteral(" Help"));
  window_->resize(640, 520);
  // An open help window must not keep the program running once the main window closes.
  window_->setAttribute(Qt::WA_QuitOnClose, false);

  browser_ = new QTextBrowser(window_);
  browser_->setObjectName(QStringLiteral("helpBrowser"));
  // The text is set with setHtml, so the browser has no source to resolve links against:
  // followLink() does it against the help file's folder instead.
  browser_->setOpenLinks(false);
  browser_->document()->setDocumentMargin(12);
  QObject::connect(browser_, &QTextBrowser::anchorClicked, browser_, [this](const QUrl& url) { followLink(url); });

  findBar_ = new HelpFindBar(*browser_, window_);
  findBar_->hide();

  auto* layout = new QVBoxLayout(window_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(browser_);
  layout->addWidget(findBar_);

  auto* findKey = new QShortcut(QKeySequence::Find, window_);
  QObject::connect(findKey, &QShortcut::activated, findBar_, &HelpFindBar::open);
  auto* backKey = new QShortcut(QKeySequence(Qt::AltModifier | Qt::Key_Left), window_);
  QObject::connect(backKey, &QShortcut::activated, browser_, [this] { goBack(); });
  // Esc puts the find bar away first, then closes the window.
  auto* closeKey = new QShortcut(QKeySequence(Qt::Key_Escape), window_);
  QObject::connect(closeKey, &QShortcut::activated, browser_, [this] {
    if (findBar_->isVisible()) {
      findBar_->hide();
      browser_->setFocus();
    } else {
      window_->close();
    }
  });
}

void HelpWindowEngine::showPage(const QString& path, const QString& anchor) {
  shownFile_ = path;
  QFile file(path);
  if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
    browser_->setSearchPaths({});
    browser_->setHtml(cannotFindPage(path));
    return;
  }
  // Relative images and style sheets are looked up beside the help file.
  browser_->setSearchPaths({QFileInfo(path).absolutePath()});
  browser_->setHtml(QString::fromUtf8(file.readAll()));
  if (anchor.isEmpty()) {
    browser_->horizontalScrollBar()->setValue(0);
    browser_->verticalScrollBar()->setValue(0);
  } else {
    browser_->scrollToAnchor(anchor);
  }
}

void HelpWindowEngine::followLink(const QUrl& url) {
  const Place here{shownFile_, browser_->verticalScrollBar()->value()};
  if (url.scheme().isEmpty() && url.path().isEmpty()) {
    browser_->scrollToAnchor(url.fragment());
  } else if (url.isRelative()) {
    showPage(QFileInfo(shownFile_).dir().absoluteFilePath(url.path()), url.fragment());
  } else if (url.isLocalFile()) {
    showPage(url.toLocalFile(), url.fragment());
  } else {
    QDesktopServices::openUrl(url);
    return;  // the help stays where it is
  }
  history_.push_back(here);
}

void HelpWindowEngine::goBack() {
  if (history_.empty()) return;
  const Place place = history_.back();
  history_.pop_back();
  if (place.file != shownFile_) showPage(place.file, QString());
  browser_->verticalScrollBar()->setValue(place.top);
}

}  // namespace sorvane::platform
