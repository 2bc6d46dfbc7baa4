#include "main_window/folder_views.h"

#include <QDir>
#include <QPalette>
#include <QStyle>

namespace sorvane::ui {
namespace {

void makeDisplayOnly(QListWidget& list) {
  list.setEnabled(false);
  list.setFocusPolicy(Qt::NoFocus);
  QPalette palette = list.palette();
  for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::Base, palette.color(QPalette::Active, QPalette::Button));
    palette.setColor(group, QPalette::Text, palette.color(QPalette::Disabled, QPalette::WindowText));
  }
  list.setPalette(palette);
}

}  // namespace

DirectoryList::DirectoryList(QWidget* parent) : QListWidget(parent) { makeDisplayOnly(*this); }

bool DirectoryList::setPath(const QString& path) {
  const QDir folder(path);
  if (path.isEmpty() || !folder.exists()) return false;
  path_ = path;
  clear();

  const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
  const QString absolute = folder.absolutePath();
  const QStringList parts = absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts);
  addItem(new QListWidgetItem(open, QStringLiteral("/")));
  int depth = 1;
  for (const QString& part : parts) addItem(new QListWidgetItem(open, QString(depth++ * 2, QLatin1Char(' ')) + part));
  const QString indent(depth * 2, QLatin1Char(' '));
  for (const QString& sub : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
    addItem(new QListWidgetItem(closed, indent + sub));
  return true;
}

FileList::FileList(QWidget* parent) : QListWidget(parent) { makeDisplayOnly(*this); }

bool FileList::setPath(const QString& path) {
  if (path.isEmpty() || !QDir(path).exists()) return false;
  path_ = path;
  Refresh();
  return true;
}

void FileList::Refresh() {
  clear();
  if (path_.isEmpty()) return;
  addItems(QDir(path_).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase));
}

}  // namespace sorvane::ui
