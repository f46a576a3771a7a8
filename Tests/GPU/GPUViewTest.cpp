#include "GPUCore/GPUDetailView.h"
#include "GPUCore/GPUGlyph.h"
#include "GPUCore/GPUMenuBarView.h"
#include "GPUCore/GPUMetricsSource.h"
#include "GPUFixtures.h"

#include <QCoreApplication>
#include <QLabel>
#include <gtest/gtest.h>

namespace velto {
namespace {

// A source over a one-card sysfs tree whose busy file a test rewrites.
struct FakeGPU {
    QString root = test::makeSysfsTree({{"card0", std::nullopt}});
    std::shared_ptr<GPUMetricsSource> source =
        std::make_shared<GPUMetricsSource>(root.toStdString(), "/nonexistent/libnvidia-ml.so.1");

    void show(const std::optional<std::string>& percent) {
        test::setBusyPercent(root, "card0", percent);
        source->start(3600);
        QCoreApplication::processEvents(); // views redraw on the next turn of the loop
    }
};

QLabel* label(const QWidget& view, const char* name) {
    return view.findChild<QLabel*>(QLatin1String(name));
}

// Saved as rendered, and small ones also eight times larger, to be looked at.
void save(const QImage& image, const QString& name) {
    EXPECT_TRUE(image.save(test::renderPath(name + QStringLiteral(".png"))));
    if (image.width() < 128) {
        image.scaled(image.size() * 8).save(test::renderPath(name + QStringLiteral("-x8.png")));
    }
}

// At the size the view asks for, as a popover or status item sized to its content.
void render(QWidget& view, const char* name) {
    view.resize(view.sizeHint());
    save(view.grab().toImage(), QLatin1String(name));
}

TEST(GPUMenuBarViewTest, FigureOrDashInAFrameOfSteadyWidth) {
    FakeGPU gpu;
    GPUMenuBarView view(gpu.source);
    QLabel* value = label(view, "value");
    const QString dash = QString::fromUtf8("  \xE2\x80\x94 ");
    EXPECT_EQ(value->text(), dash) << "before any reading";
    const int width = value->width();
    gpu.show("37\n");
    EXPECT_EQ(value->text(), QStringLiteral(" 37%"));
    render(view, "gpu-menubar-37");
    gpu.show("95\n");
    EXPECT_EQ(value->palette(), view.palette()) << "no load colour";
    gpu.show("100\n");
    EXPECT_LE(value->fontMetrics().horizontalAdvance(value->text()), width);
    gpu.show(std::nullopt);
    EXPECT_EQ(value->text(), dash);
    EXPECT_EQ(value->width(), width);
    render(view, "gpu-menubar-dash");
}

TEST(GPUDetailViewTest, UtilizationOrBothNotReportedTexts) {
    FakeGPU gpu;
    GPUDetailView view(gpu.source);
    QLabel* utilization = label(view, "utilization");
    QLabel* notReported = label(view, "notReported");
    QLabel* explanation = label(view, "explanation");
    EXPECT_TRUE(notReported->isVisibleTo(&view)) << "also before the first reading";

    gpu.show(std::nullopt);
    render(view, "gpu-detail-not-reported");
    EXPECT_EQ(view.width(), 260);
    EXPECT_FALSE(utilization->isVisibleTo(&view));
    EXPECT_TRUE(explanation->isVisibleTo(&view));
    // The caption wraps inside the inset, and the view grows to hold all of it.
    EXPECT_GT(explanation->height(), 2 * explanation->fontMetrics().height());
    EXPECT_GE(explanation->height(), explanation->heightForWidth(explanation->width()));
    EXPECT_GT(explanation->geometry().top(), notReported->geometry().bottom());
    EXPECT_LE(explanation->geometry().right(), 260 - 12);
    EXPECT_LE(explanation->geometry().bottom(), view.height() - 12);

    gpu.show("37\n");
    render(view, "gpu-detail");
    EXPECT_EQ(utilization->text(), QStringLiteral("Utilization  37%"));
    EXPECT_FALSE(notReported->isVisibleTo(&view));
    EXPECT_FALSE(explanation->isVisibleTo(&view));
}

// The glyph alone on a transparent image, in black.
QImage glyph(int width, int height) {
    GPUGlyph view;
    view.setFixedSize(width, height);
    QPalette palette = view.palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    view.setPalette(palette);
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view.render(&image, {}, {}, QWidget::DrawChildren); // no window background
    return image;
}

TEST(GPUGlyphTest, ShapesSitOnTheSixteenUnitGridOfASquare) {
    const QImage big = glyph(256, 256);
    save(big, QStringLiteral("gpu-glyph-256"));
    const struct {
        qreal x, y; // in units of 16 pixels
        int alpha;
        const char* what;
    } probes[] = {
        {8.5, 7.5, 255, "hub"},
        {8.5, 6.0, 0, "between hub and ring"},
        {8.5, 5.2, 255, "ring"},
        {15, 7.5, 255, "body's right edge"},
        {0.6, 3.1, 0, "outside the rounded corner, inside a square one"},
        {3, 14.7, 0, "below the foot's round cap"},
        // Dashes 1.2 long, 1.4 apart from x = 5, and round caps 0.55 long at each end.
        {5.6, 13.5, 255, "first dash"},
        {6.95, 13.5, 0, "first gap"},
        {13.4, 13.5, 255, "the last dash's cap"},
        {13.7, 13.5, 0, "after the row"},
    };
    for (const auto& p : probes) {
        EXPECT_EQ(qAlpha(big.pixel(int(p.x * 16), int(p.y * 16))), p.alpha) << p.what;
    }

    for (const int side : {13, 15}) {
        save(glyph(side, side), QStringLiteral("gpu-glyph-%1").arg(side));
    }
    // In a frame wider than tall, u follows the height and the square is centred.
    const QImage wide = glyph(96, 32);
    save(wide, QStringLiteral("gpu-glyph-wide"));
    EXPECT_EQ(wide.copy(32, 0, 32, 32), glyph(32, 32));
    QImage blank = glyph(32, 32);
    blank.fill(Qt::transparent);
    EXPECT_EQ(wide.copy(0, 0, 32, 32), blank);
    EXPECT_EQ(wide.copy(64, 0, 32, 32), blank);
}

} // namespace
} // namespace velto
