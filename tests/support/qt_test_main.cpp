#include <QApplication>
#include <gtest/gtest.h>

// GoogleTest's main with a QApplication around it, for the suites that build widgets.
// The widget tests run headless, wherever they are started from.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
