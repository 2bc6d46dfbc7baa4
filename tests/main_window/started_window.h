#pragma once

#include "main_window/frm_sorvane.h"
#include "main_window/main_window_widgets.h"
#include "scripted_platform.h"
#include "settings/settings_store.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <QTest>
#include <memory>

namespace sorvane::testing {

// A main window on scripted services and a store in a temporary folder, started as the program
// starts it. Each start is a new run of the program on the same store.
class StartedWindow : public ::testing::Test {
 protected:
  void SetUp() override { start(); }

  ui::frmSorvane& start() {
    window.reset();
    store = std::make_unique<settings::SettingsStore>(settings::SettingsStore::atFile(storePath()));
    EngineOptions yieldingOften;
    yieldingOften.yieldInterval = std::chrono::nanoseconds(0);
    yieldingOften.bufferCapacity = 64;
    window = std::make_unique<ui::frmSorvane>(scripted.services(), *store, yieldingOften);
    window->Form_Load();
    return *window;
  }

  const ui::MainWindowWidgets& w() const { return window->widgetsForTest(); }

  void showActive() {
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }

  // Keys as an earlier run (or a user) left them, for the next start to read.
  void seed(const QString& section, const QString& key, const QString& value) {
    settings::SettingsStore seeded = settings::SettingsStore::atFile(storePath());
    seeded.SaveSetting(section, key, value);
    seeded.sync();
  }
  QString stored(const QString& section, const QString& key) const {
    return settings::SettingsStore::atFile(storePath()).GetSetting(section, key, QStringLiteral("<absent>"));
  }
  QString storePath() const { return QString::fromStdString(folder / "Sorvane.conf"); }

  TempFolder folder;
  ScriptedServices scripted;
  std::unique_ptr<settings::SettingsStore> store;
  std::unique_ptr<ui::frmSorvane> window;
};

}  // namespace sorvane::testing
