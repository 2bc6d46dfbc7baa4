// Times the Preview window on a file or a folder tree, headless: from opening it until its first
// rows are listed and until its search ends, with the peak memory of the whole process and the
// longest wait of the window's events. Prints the figures.
//
//   sorvane-preview-bench FILE|FOLDER [FIND [REPLACE]]     (default needle -> thread)

#include "bench_qt.h"
#include "engine/run/replace_run.h"
#include "preview_window/frm_preview.h"
#include "preview_window/preview_model.h"
#include "settings/settings_store.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

long peakResidentKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: sorvane-preview-bench FILE|FOLDER [FIND [REPLACE]]\n");
    return 2;
  }
  const std::string target = argv[1];
  sorvane::RunRequest request{argc > 2 ? argv[2] : "needle", argc > 3 ? argv[3] : "thread",
                              sorvane::CompareMode::Binary, {}, false};
  if (std::filesystem::is_directory(target))
    request.over = sorvane::FolderRun{target, "*.*", true};
  else
    request.over = sorvane::FileList::of({target});

  sorvane::bench::DesktopServices desktop;
  QWidget window;
  window.show();
  sorvane::EngineOptions options;
  options.jobs = sorvane::onlineProcessors();

  QElapsedTimer clock;
  clock.start();
  QTemporaryDir settingsFolder;
  sorvane::settings::SettingsStore store =
      sorvane::settings::SettingsStore::atFile(settingsFolder.filePath(QStringLiteral("Sorvane.conf")));
  sorvane::preview::frmPreview preview(request, options, desktop.services(), store, &window);
  preview.show();
  sorvane::bench::EventWait wait;
  qint64 firstRowsMs = -1;
  while (preview.searching()) {
    // Waits as the window's own event loop would, so the search has the processors to itself;
    // the event-wait timer wakes it every millisecond to look at the rows.
    QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    if (firstRowsMs < 0 && preview.model().rowCount() > 0) firstRowsMs = clock.elapsed();
  }
  const qint64 endedMs = clock.elapsed();
  std::printf("totals:                 %s\n", preview.lblStatus->text().toLocal8Bit().constData());
  std::printf("listed occurrences:     %lld\n", static_cast<long long>(preview.model().listedOccurrences()));
  std::printf("first rows listed:      %lld ms\n", static_cast<long long>(firstRowsMs));
  std::printf("search ended:           %lld ms\n", static_cast<long long>(endedMs));
  std::printf("longest event wait:     %lld ms\n", static_cast<long long>(wait.longestMs()));
  std::printf("peak resident memory:   %ld MiB\n", peakResidentKiB() / 1024);
  return 0;
}
