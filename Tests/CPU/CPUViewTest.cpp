#include "CPUCore/CPUDetailView.h"
#include "CPUCore/CPUMenuBarView.h"
#include "CPUCore/CPUMetricsSource.h"
#include "CPUCore/UsageBar.h"

#include "ProcStatText.h"
#include "Support/TestEnvironment.h"

#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <deque>
#include <memory>

namespace velto {
namespace {

const QColor kRed(255, 59, 48);
const QColor kOrange(255, 149, 0);

// A source whose next snapshot is whatever the test asks it to show.
struct FakeCPU {
    std::shared_ptr<std::deque<std::string>> texts = std::make_shared<std::deque<std::string>>();
    std::shared_ptr<CPUMetricsSource> source =
        std::make_shared<CPUMetricsSource>([texts = texts]() -> std::optional<std::string> {
            if (texts->empty()) {
                return std::nullopt;
            }
            std::string text = std::move(texts->front());
            texts->pop_front();
            return text;
        });

    void show(const std::vector<double>& fractions) {
        for (std::string& text : test::readingsGiving(fractions)) {
            texts->push_back(std::move(text));
        }
        source->start(3600);
        source->tick();
        source->tick();
        // Views redraw on the turn of the loop after the change.
        QCoreApplication::processEvents();
    }
};

QLabel* label(const QWidget& view, const char* name) {
    auto* found = view.findChild<QLabel*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

QColor textColor(const QLabel* label) { return label->palette().color(QPalette::WindowText); }

QColor iconColor(const QLabel* icon) {
    const QImage image = icon->pixmap().toImage();
    // The middle of the cpu symbol is a filled square.
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

QList<QWidget*> coreRows(const QWidget& view) {
    return view.findChildren<QWidget*>(QRegularExpression(QStringLiteral("^core\\d+$")));
}

void render(QWidget& view, const char* file) {
    view.adjustSize();
    EXPECT_TRUE(view.grab().save(test::renderPath(QLatin1String(file))));
}

TEST(CPUMenuBarViewTest, BeforeAnySnapshotShowsZeroInThePrimaryColour) {
    FakeCPU cpu;
    CPUMenuBarView view(cpu.source);
    const QColor primary = view.palette().color(QPalette::WindowText);
    EXPECT_EQ(label(view, "value")->text(), QStringLiteral("  0%"));
    EXPECT_EQ(textColor(label(view, "value")), primary);
    EXPECT_EQ(iconColor(label(view, "icon")).rgb(), primary.rgb());
    render(view, "cpu-menubar-waiting.png");
}

TEST(CPUMenuBarViewTest, ColourFollowsTheFraction) {
    FakeCPU cpu;
    CPUMenuBarView view(cpu.source);
    const QColor primary = view.palette().color(QPalette::WindowText);
    const struct {
        double fraction;
        const char* text;
        QColor color;
    } cases[] = {
        {0.904, " 90%", kRed},
        {0.896, " 90%", kOrange},
        {0.75, " 75%", kOrange},
        {0.7499, " 75%", primary},
        {0.42, " 42%", primary},
    };
    for (const auto& c : cases) {
        cpu.show({c.fraction});
        EXPECT_EQ(label(view, "value")->text(), QLatin1String(c.text)) << c.fraction;
        EXPECT_EQ(textColor(label(view, "value")), c.color) << c.fraction;
        EXPECT_EQ(iconColor(label(view, "icon")).rgb(), c.color.rgb()) << c.fraction;
    }
    render(view, "cpu-menubar.png");
}

TEST(CPUMenuBarViewTest, FullLoadFitsItsFrameAndTheFrameNeverMoves) {
    FakeCPU cpu;
    CPUMenuBarView view(cpu.source);
    QLabel* value = label(view, "value");
    const int width = value->width();
    EXPECT_GE(width, 30);
    cpu.show({1.0, 1.0});
    EXPECT_EQ(value->text(), QStringLiteral("100%"));
    EXPECT_EQ(value->width(), width);
    EXPECT_LE(value->fontMetrics().horizontalAdvance(value->text()), value->width());
    EXPECT_EQ(value->font().pixelSize(), 11);
    render(view, "cpu-menubar-full.png");
}

TEST(CPUMenuBarViewTest, StoppedSourceKeepsItsLastReading) {
    FakeCPU cpu;
    CPUMenuBarView view(cpu.source);
    cpu.show({0.5});
    cpu.source->stop();
    QCoreApplication::processEvents();
    EXPECT_EQ(label(view, "value")->text(), QStringLiteral(" 50%"));
}

TEST(CPUDetailViewTest, WaitsForTheFirstSnapshot) {
    FakeCPU cpu;
    CPUDetailView view(cpu.source);
    EXPECT_EQ(view.width(), 260);
    EXPECT_EQ(label(view, "title")->text(), QStringLiteral("CPU"));
    EXPECT_TRUE(label(view, "waiting")->isVisibleTo(&view));
    EXPECT_EQ(label(view, "waiting")->text(), QString::fromUtf8("Waiting for data\xE2\x80\xA6"));
    EXPECT_FALSE(label(view, "total")->isVisibleTo(&view));
    EXPECT_TRUE(coreRows(view).isEmpty());
    render(view, "cpu-detail-waiting.png");
}

TEST(CPUDetailViewTest, OneRowPerProcessorInKernelOrder) {
    FakeCPU cpu;
    CPUDetailView view(cpu.source);
    const std::vector<double> loads{0.12, 0.935, 0.5, 0.0, 0.78, 0.333, 1.0, 0.05};
    cpu.show(loads);
    EXPECT_FALSE(label(view, "waiting")->isVisibleTo(&view));
    EXPECT_EQ(label(view, "total")->text(), QStringLiteral("Total  46%"));

    const QColor primary = view.palette().color(QPalette::WindowText);
    const char* values[] = {" 12%", " 94%", " 50%", "  0%", " 78%", " 33%", "100%", "  5%"};
    const QColor tints[] = {primary, kRed, primary, primary, kOrange, primary, kRed, primary};
    ASSERT_EQ(coreRows(view).size(), 8);
    for (int i = 0; i < 8; ++i) {
        const auto* row = view.findChild<QWidget*>(QStringLiteral("core%1").arg(i));
        ASSERT_NE(row, nullptr);
        EXPECT_TRUE(row->isVisibleTo(&view));
        EXPECT_EQ(label(*row, "label")->text(), QStringLiteral("Core %1").arg(i + 1));
        EXPECT_EQ(label(*row, "value")->text(), QLatin1String(values[i]));
        const auto* bar = row->findChild<UsageBar*>(QStringLiteral("bar"));
        ASSERT_NE(bar, nullptr);
        EXPECT_DOUBLE_EQ(bar->value(), loads[static_cast<std::size_t>(i)]);
        EXPECT_EQ(bar->tint(), tints[i]) << i;
    }
    render(view, "cpu-detail.png");
}

TEST(CPUDetailViewTest, ChangedProcessorCountAddsAndDropsRowsAtTheEnd) {
    FakeCPU cpu;
    CPUDetailView view(cpu.source);
    cpu.show(std::vector<double>(8, 0.25));
    cpu.show({0.1, 0.2, 0.3});
    ASSERT_EQ(coreRows(view).size(), 3);
    EXPECT_EQ(label(*view.findChild<QWidget*>(QStringLiteral("core2")), "value")->text(),
              QStringLiteral(" 30%"));
    cpu.show({0.1, 0.2, 0.3, 0.4, 0.5});
    ASSERT_EQ(coreRows(view).size(), 5);
    EXPECT_EQ(label(*view.findChild<QWidget*>(QStringLiteral("core4")), "label")->text(),
              QStringLiteral("Core 5"));
}

TEST(CPUDetailViewTest, NoProcessorsShowTheTotalAlone) {
    FakeCPU cpu;
    CPUDetailView view(cpu.source);
    cpu.show({});
    EXPECT_EQ(label(view, "total")->text(), QStringLiteral("Total  0%"));
    EXPECT_TRUE(label(view, "total")->isVisibleTo(&view));
    EXPECT_TRUE(coreRows(view).isEmpty());
    EXPECT_FALSE(label(view, "waiting")->isVisibleTo(&view));
}

TEST(CPUDetailViewTest, ViewsOfOneSourceShowTheSameSnapshot) {
    FakeCPU cpu;
    CPUMenuBarView menuBar(cpu.source);
    CPUDetailView detail(cpu.source);
    cpu.show({0.6, 0.8});
    EXPECT_EQ(label(menuBar, "value")->text(), QStringLiteral(" 70%"));
    EXPECT_EQ(label(detail, "total")->text(), QStringLiteral("Total  70%"));
}

} // namespace
} // namespace velto
