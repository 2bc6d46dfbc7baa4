// Times the viewer on a large file: from the double-click on the listed file until its text
// has been painted in the viewer, and the longest the window's events waited meanwhile. Runs
// headless; prints the figures.
//
//   sorvane-viewer-bench [MiB]     (default 50)

#include "bench_qt.h"
#include "viewer/file_viewer.h"
#include "viewer/frm_view.h"
#include "viewer/viewer_text_box.h"
#include "viewer/viewer_text.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// Deterministic text of ASCII lines of varying length, CR LF ended, about `bytes` long.
void writeText(const std::string& path, std::size_t bytes) {
  static const char* const words[] = {"needle", "haystack", "the", "quick", "brown", "fox", "jumps",
                                      "over", "a", "lazy", "dog", "lorem", "ipsum", "dolor", "sit"};
  std::string text;
  text.reserve(bytes + 128);
  unsigned state = 12345;
  while (text.size() < bytes) {
    const unsigned wordsOnLine = 3 + (state >> 16) % 17;
    for (unsigned i = 0; i < wordsOnLine; ++i) {
      state = state * 1103515245 + 12345;
      text += words[(state >> 16) % std::size(words)];
      text += ' ';
    }
    text += "\r\n";
  }
  std::ofstream(path, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
}

// Notes the first paint of the viewer's text area.
class PaintWatch final : public QObject {
 public:
  bool painted = false;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted = true;
    return QObject::eventFilter(watched, event);
  }
};

// Takes a read's text and drops it, to time the read and decoding alone.
class DiscardedText final : public sorvane::viewer::ViewerTextSink {
 public:
  void start(qsizetype) override {}
  void append(QStringView) override {}
};

qint64 cpuMs() {
  timespec used{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
  return static_cast<qint64>(used.tv_sec) * 1000 + used.tv_nsec / 1000000;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const long mebibytes = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 50;
  if (mebibytes <= 0) {
    std::fprintf(stderr, "usage: sorvane-viewer-bench [MiB]\n");
    return 2;
  }

  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "sorvane-viewer-bench";
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "big.txt").string();
  writeText(path, static_cast<std::size_t>(mebibytes) * 1024 * 1024);

  sorvane::bench::DesktopServices desktop;
  QWidget window;  // stands in for the main window, which holds the file list
  auto* files = new QListWidget(&window);
  sorvane::viewer::FileViewer viewer(*files, desktop.services());
  window.show();
  files->addItem(QString::fromStdString(path));
  files->setCurrentRow(0);
  QApplication::processEvents();

  QElapsedTimer clock;
  clock.start();
  DiscardedText discarded;
  const auto failure = sorvane::viewer::readViewerText(path, discarded, [] { QApplication::processEvents(); });
  const qint64 readMs = clock.elapsed();
  if (failure) {
    std::fprintf(stderr, "sorvane-viewer-bench: cannot read %s\n", path.c_str());
    return 1;
  }

  PaintWatch watch;
  const qint64 cpuBefore = cpuMs();
  clock.restart();
  sorvane::bench::EventWait wait;
  viewer.lstFiles_DblClick();
  const qint64 handlerMs = clock.elapsed();
  sorvane::viewer::frmView* view = viewer.view();
  if (view == nullptr) {
    std::fprintf(stderr, "sorvane-viewer-bench: no viewer was shown\n");
    return 1;
  }
  view->txtView->viewport()->installEventFilter(&watch);
  view->txtView->viewport()->update();
  while (!watch.painted && clock.elapsed() < 60000) QApplication::processEvents(QEventLoop::AllEvents, 50);
  const qint64 shownMs = clock.elapsed();
  const qint64 shownCpuMs = cpuMs() - cpuBefore;
  const qint64 waitMs = wait.longestMs();

  // The text ends in a line end, after which the box shows one more, empty line.
  std::printf("file:                          %ld MiB, %lld lines\n", mebibytes,
              static_cast<long long>(view->txtView->document()->lineCount() - 1));
  std::printf("read and decode alone:         %lld ms\n", static_cast<long long>(readMs));
  std::printf("double-click handler:          %lld ms\n", static_cast<long long>(handlerMs));
  std::printf("double-click to text painted:  %lld ms (CPU %lld ms)\n", static_cast<long long>(shownMs),
              static_cast<long long>(shownCpuMs));
  std::printf("longest wait of an event:      %lld ms\n", static_cast<long long>(waitMs));
  std::filesystem::remove_all(folder);
  return 0;
}
