#include <Platform/FigureGlyphMasks.h>
#include <Platform/StatusNotifierTypes.h>
#include <Platform/TrayIconRenderer.h>
#include <QFont>
#include <gtest/gtest.h>

using namespace velto::platform;

namespace {

QPainterPath outlineOf(QChar character) {
    QFont font;
    font.setPixelSize(TrayIconRenderer::kReferenceSize);
    QPainterPath path;
    path.addText(QPointF(0, 0), font, QString(character));
    return path;
}

} // namespace

// The halo must reach every cell within its reach of the bold, which needs
// the frame's margins; nothing may touch the frame's edge, where the steps
// stop.
TEST(FigureGlyphMasks, TheHaloSurroundsTheBoldWithinTheFrame) {
    for (const int halo : {1, 2}) {
        for (const int quarter : {0, 3}) {
            const FigureGlyphMask mask = FigureGlyphMasks::draw({u'8', 0.3, halo, quarter, quarter},
                                                                outlineOf(QChar(u'8')), 1.8);
            ASSERT_GT(mask.width, 0);
            const auto at = [&](const std::vector<std::uint8_t>& cells, int x, int y) {
                return cells[std::size_t(y) * mask.width + x];
            };
            int ink = 0;
            for (int y = 0; y < mask.height; ++y) {
                for (int x = 0; x < mask.width; ++x) {
                    const bool edge =
                        x == 0 || y == 0 || x == mask.width - 1 || y == mask.height - 1;
                    if (edge) {
                        EXPECT_EQ(at(mask.halo, x, y), 0) << x << "," << y;
                    }
                    const int bold = at(mask.bold, x, y);
                    if (bold == 0)
                        continue;
                    ++ink;
                    for (int dy = -halo; dy <= halo; ++dy) {
                        for (int dx = -halo; dx <= halo; ++dx) {
                            const int nx = x + dx, ny = y + dy;
                            ASSERT_TRUE(nx > 0 && ny > 0 && nx < mask.width - 1 &&
                                        ny < mask.height - 1)
                                << "the halo of " << x << "," << y << " leaves the frame";
                            ASSERT_GE(at(mask.halo, nx, ny), bold) << "at " << nx << "," << ny;
                        }
                    }
                }
            }
            EXPECT_GT(ink, 20);
        }
    }
}

TEST(FigureGlyphMasks, KeepsEachPlaceOnceAndLetsTheLeastRecentGo) {
    FigureGlyphMasks masks;
    const QPainterPath eight = outlineOf(QChar(u'8'));
    const FigureGlyphMasks::Key key{u'8', 0.2, 1, 0, 0};
    const FigureGlyphMask& first = masks.mask(key, eight, 1.2);
    const int width = first.width;
    masks.mask(key, eight, 1.2);
    EXPECT_EQ(masks.drawnCount(), 1);
    // Another place within the pixel, scale or halo is another drawing.
    masks.mask({u'8', 0.2, 1, 1, 0}, eight, 1.2);
    masks.mask({u'8', 0.21, 1, 0, 0}, eight, 1.26);
    masks.mask({u'8', 0.2, 2, 0, 0}, eight, 1.2);
    EXPECT_EQ(masks.drawnCount(), 4);
    EXPECT_EQ(masks.mask(key, eight, 1.2).width, width);
    EXPECT_EQ(masks.drawnCount(), 4);

    // Large masks fill the budget; the one used last stays.
    for (int quarter = 0; masks.drawnCount() < 40; quarter = (quarter + 1) % 4) {
        masks.mask({u'8', 1.0 + masks.drawnCount() / 100.0, 2, quarter, 0}, eight, 6);
        masks.mask(key, eight, 1.2);
        ASSERT_LE(masks.keptBytes(), FigureGlyphMasks::kMaxBytes);
    }
    const int drawn = masks.drawnCount();
    masks.mask(key, eight, 1.2);
    EXPECT_EQ(masks.drawnCount(), drawn);
    masks.mask({u'8', 0.2, 1, 1, 0}, eight, 1.2);
    EXPECT_EQ(masks.drawnCount(), drawn + 1) << "long unused, it went";

    // Blanks have no cells, yet each is an entry: they count too.
    FigureGlyphMasks blanks;
    const QPainterPath blank = outlineOf(QChar(u' '));
    for (int i = 0; i < 4000; ++i)
        blanks.mask({u' ', 0.1 + i / 10000.0, 1, 0, 0}, blank, 1);
    EXPECT_LE(blanks.keptBytes(), FigureGlyphMasks::kMaxBytes);
    blanks.mask({u' ', 0.1, 1, 0, 0}, blank, 1);
    EXPECT_EQ(blanks.drawnCount(), 4001);
}

// A new reading made of characters drawn for earlier ones takes their masks:
// it must be the same image as the first drawing of that reading.
TEST(FigureGlyphMasks, ASquareOfKeptMasksIsTheSameAsOneDrawnAfresh) {
    const QColor ink(30, 30, 30);
    TrayIconRenderer::FigureSquares warm;
    for (const char* reading : {"42%", "24%", "4.2", "12"})
        for (const int side : {16, 22, 64})
            warm.square({QString::fromLatin1(reading)}, ink, side);
    // "44%" and "22%" have every character where an earlier reading had it.
    for (const auto& [reading, allKept] : {std::pair{"44%", true}, {"22%", true}, {"2.4", false}}) {
        for (const int side : {16, 22, 64}) {
            const int masksDrawn = warm.masks().drawnCount();
            const TrayPixmap square = warm.square({QString::fromLatin1(reading)}, ink, side);
            if (allKept) {
                EXPECT_EQ(warm.masks().drawnCount(), masksDrawn) << reading << " at " << side;
            }
            TrayIconRenderer::FigureSquares cold;
            EXPECT_EQ(square, cold.square({QString::fromLatin1(reading)}, ink, side))
                << reading << " at " << side;
        }
    }
}
