#include <QImage>
#include <VeltoPluginKit/SystemSymbol.h>
#include <gtest/gtest.h>

namespace velto {
namespace {

struct Coverage {
    int painted = 0;
    int offColour = 0;
    QRect bounds;
};

Coverage coverageOf(const QPixmap& pixmap, const QColor& colour) {
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    Coverage coverage;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() == 0)
                continue;
            ++coverage.painted;
            coverage.bounds |= QRect(x, y, 1, 1);
            // Tinted means the colour itself wherever anything is drawn, at any alpha.
            if (pixel.alpha() > 40 && (std::abs(pixel.red() - colour.red()) > 8 ||
                                       std::abs(pixel.green() - colour.green()) > 8 ||
                                       std::abs(pixel.blue() - colour.blue()) > 8))
                ++coverage.offColour;
        }
    return coverage;
}

TEST(SystemSymbolTest, EverySymbolIsDrawnInsideItsSquareInTheTint) {
    const QColor tint(30, 120, 200);
    for (const char* name :
         {"cpu", "memorychip", "network", "arrow.down", "arrow.up", "gearshape"}) {
        const QString symbol = QString::fromLatin1(name);
        ASSERT_TRUE(SystemSymbol::exists(symbol)) << name;
        const QPixmap pixmap = SystemSymbol::pixmap(symbol, 16, tint, 2.0);
        EXPECT_EQ(pixmap.size(), QSize(32, 32)) << name;
        EXPECT_EQ(pixmap.devicePixelRatio(), 2.0) << name;
        const Coverage coverage = coverageOf(pixmap, tint);
        // Drawn, not filled: a symbol covers a fair part of its square and no more.
        EXPECT_GT(coverage.painted, 32 * 32 / 10) << name;
        EXPECT_LT(coverage.painted, 32 * 32 * 9 / 10) << name;
        EXPECT_EQ(coverage.offColour, 0) << name;
        EXPECT_GE(coverage.bounds.width(), 32 / 2) << name;
        EXPECT_GE(coverage.bounds.height(), 32 / 2) << name;
    }
}

TEST(SystemSymbolTest, TheArrowsMirrorEachOther) {
    const QImage down = SystemSymbol::pixmap(QStringLiteral("arrow.down"), 16, Qt::black).toImage();
    const QImage up = SystemSymbol::pixmap(QStringLiteral("arrow.up"), 16, Qt::black).toImage();
    // The head is at the bottom for down and at the top for up.
    const auto inkInRows = [](const QImage& image, int from, int to) {
        int ink = 0;
        for (int y = from; y < to; ++y)
            for (int x = 0; x < image.width(); ++x)
                ink += qAlpha(image.pixel(x, y)) > 0;
        return ink;
    };
    EXPECT_GT(inkInRows(down, 10, 16), inkInRows(down, 0, 6));
    EXPECT_GT(inkInRows(up, 0, 6), inkInRows(up, 10, 16));
}

TEST(SystemSymbolTest, AnUnknownNameGivesATransparentSquare) {
    EXPECT_FALSE(SystemSymbol::exists(QStringLiteral("cpu.fill")));
    const QPixmap pixmap = SystemSymbol::pixmap(QStringLiteral("cpu.fill"), 12, Qt::red);
    EXPECT_EQ(pixmap.size(), QSize(12, 12));
    EXPECT_EQ(coverageOf(pixmap, Qt::red).painted, 0);
    // A size of nothing still gives one pixel, never a null pixmap.
    EXPECT_EQ(SystemSymbol::pixmap(QStringLiteral("cpu"), 0, Qt::red).size(), QSize(1, 1));
}

} // namespace
} // namespace velto
