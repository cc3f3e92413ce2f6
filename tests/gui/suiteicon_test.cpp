// The suite's icon as the editor's and the controller's windows carry it: every size read from
// the programs' resources, and none of Qt's image plugins (Qt SVG among them) loaded for it.
#include <QFile>
#include <QIcon>
#include <QPixmap>
#include <gtest/gtest.h>

#include "desktopapp.h"

namespace {

bool imagePluginMapped()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/imageformats/");
}

TEST(SuiteIcon, EverySizeIsReadWithoutLoadingAnImagePlugin)
{
    const QIcon icon = corvane::suiteIcon();
    const QList<QSize> sizes = icon.availableSizes();
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        EXPECT_TRUE(sizes.contains(QSize(size, size)));
        const QPixmap pixmap = icon.pixmap(QSize(size, size));
        EXPECT_EQ(pixmap.size(), QSize(size, size));
        // Drawn, not empty: some pixel of the middle row is opaque.
        const QImage image = pixmap.toImage();
        bool opaque = false;
        for (int x = 0; x < size && !opaque; ++x)
            opaque = qAlpha(image.pixel(x, size / 2)) == 255;
        EXPECT_TRUE(opaque);
    }
    EXPECT_FALSE(imagePluginMapped());
}

} // namespace
