#include "main_window/window_icon.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

namespace sorvane::ui {
namespace {

TEST(WindowIconTest, HoldsAHandDrawnImageForEachSize) {
  const QIcon icon = windowIcon();
  ASSERT_FALSE(icon.isNull());
  const QList<QSize> sizes = icon.availableSizes();
  for (const int side : {16, 32}) {
    SCOPED_TRACE(side);
    EXPECT_TRUE(sizes.contains(QSize(side, side)));
    EXPECT_EQ(icon.pixmap(QSize(side, side)).size(), QSize(side, side));

    const QImage image(QStringLiteral(":/icons/sorvane-%1.xpm").arg(side));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(side, side));
    EXPECT_LE(image.colorCount(), 16);
    EXPECT_TRUE(image.hasAlphaChannel());  // the background shows around the page
  }
}

}  // namespace
}  // namespace sorvane::ui
