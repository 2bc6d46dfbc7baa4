// Times one Replace of the main window, headless, on the files named, with the journal of
// XDG_STATE_HOME: the whole run, and the longest wait of the window's events during it, which
// is how long a repaint would have waited. Prints the figures.
//
//   sorvane-window-bench FILE... [--find FIND --replace REPLACE]   (default old -> new)

#include "bench_qt.h"
#include "journal/journal_folder.h"
#include "journal/run_recorder.h"
#include "main_window/frm_sorvane.h"
#include "settings/settings_store.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// Answers every message box with its first button and keeps the last text: the run's report.
class AnsweringBoxes final : public sorvane::platform::MessageBoxes {
 public:
  sorvane::MessageAnswer show(QWidget*, const QString& text, sorvane::MessageStyle, const QString&) override {
    last = text;
    return sorvane::MessageAnswer::Ok;
  }
  QString last;
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QStringList files;
  QString find = QStringLiteral("old"), replace = QStringLiteral("new");
  for (int i = 1; i < argc; ++i) {
    const QString argument = QString::fromLocal8Bit(argv[i]);
    if (argument == QLatin1String("--find") && i + 1 < argc)
      find = QString::fromLocal8Bit(argv[++i]);
    else if (argument == QLatin1String("--replace") && i + 1 < argc)
      replace = QString::fromLocal8Bit(argv[++i]);
    else
      files << QDir(argument).absolutePath();
  }
  if (files.isEmpty()) {
    std::fprintf(stderr, "usage: sorvane-window-bench FILE... [--find FIND --replace REPLACE]\n");
    return 2;
  }

  sorvane::bench::DesktopServices desktop;
  AnsweringBoxes boxes;
  const sorvane::platform::Services services{boxes, desktop.eventPump, desktop.helpEngine, desktop.fileDialogs};
  QTemporaryDir settingsFolder;
  sorvane::settings::SettingsStore store =
      sorvane::settings::SettingsStore::atFile(settingsFolder.filePath(QStringLiteral("Sorvane.conf")));
  sorvane::journal::RunRecorder journal(sorvane::journal::defaultStateHome(), "sorvane");
  sorvane::EngineOptions options;
  options.jobs = sorvane::onlineProcessors();
  sorvane::ui::frmSorvane window(services, store, options, &journal);
  window.Form_Load();
  const sorvane::ui::MainWindowWidgets w = sorvane::ui::findWidgets(window);
  w.optFolderFile[1]->click();
  w.lstFiles->clear();
  w.lstFiles->addItems(files);
  w.cmbFind->setEditText(find);
  w.cmbReplace->setEditText(replace);
  QApplication::processEvents();

  sorvane::bench::EventWait wait;
  QElapsedTimer clock;
  clock.start();
  w.cmdReplace->click();
  const qint64 ranMs = clock.elapsed();
  QApplication::processEvents();
  std::printf("report:                 %s\n", boxes.last.toLocal8Bit().constData());
  std::printf("replace took:           %lld ms\n", static_cast<long long>(ranMs));
  std::printf("longest event wait:     %lld ms\n", static_cast<long long>(wait.longestMs()));
  return 0;
}
