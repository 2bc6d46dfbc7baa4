#pragma once

#include "journal/run_recorder.h"
#include "main_window/frm_sorvane.h"
#include "scripted_platform.h"
#include "settings/settings_store.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QRadioButton>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

namespace sorvane::testing {

// Access keys press their button with a short animation; windows search and run meanwhile.
template <typename Condition>
bool eventually(Condition condition) {
  for (int waited = 0; !condition() && waited < 5000; waited += 10) QTest::qWait(10);
  return condition();
}

// A main window on scripted services and a temporary store; each start() is a new run of the program.
class MainWindowFixture : public ::testing::Test {
 protected:
  void SetUp() override { start(); }

  ui::frmSorvane& start() {
    window.reset();
    store = std::make_unique<settings::SettingsStore>(settings::SettingsStore::atFile(storePath()));
    const EngineOptions options{.bufferCapacity = 64, .yieldInterval = std::chrono::nanoseconds(0), .jobs = jobs,
                                .batch = {.files = batchFiles}};
    window = std::make_unique<ui::frmSorvane>(scripted.services(), *store, options, &journal);
    window->Form_Load();
    return *window;
  }
  ui::MainWindowWidgets w() const { return ui::findWidgets(*window); }
  void showActive() {
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }
  // File mode, with these files listed.
  void listFiles(const std::vector<std::string>& paths) {
    w().optFolderFile[1]->click();
    w().lstFiles->clear();
    for (const std::string& path : paths) w().lstFiles->addItem(QString::fromStdString(path));
  }
  QString storePath() const { return QString::fromStdString(folder / "Sorvane.conf"); }
  QString lastBox() const { return scripted.boxes.shown.empty() ? QString() : scripted.boxes.shown.back().text; }

  int jobs = 1;
  std::size_t batchFiles = 64;
  TempFolder folder;
  TemporaryStateHome state;
  journal::RunRecorder journal{state.path(), "sorvane"};
  ScriptedServices scripted;
  std::unique_ptr<settings::SettingsStore> store;
  std::unique_ptr<ui::frmSorvane> window;
};

}  // namespace sorvane::testing
