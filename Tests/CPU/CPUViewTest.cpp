#include "CPUCore/CPUDetailView.h"
#include "CPUCore/CPUMenuBarView.h"
#include "CPUCore/CPUMetricsSource.h"
#include "CPUCore/UsageBar.h"
#include "ProcStatText.h"
#include "Support/TestEnvironment.h"

#include <QCoreApplication>
#include <QLabel>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace velto {
namespace {

const QColor kRed(255, 59, 48);
const QColor kOrange(255, 149, 0);

// A source that shows whatever fractions a test asks for.
struct FakeCPU {
    std::vector<std::string> texts;
    std::shared_ptr<CPUMetricsSource> source =
        std::make_shared<CPUMetricsSource>([this]() -> std::optional<std::string> {
            std::optional<std::string> text;
            if (!texts.empty()) {
                text = std::move(texts.front());
                texts.erase(texts.begin());
            }
            return text;
        });

    void show(const std::vector<double>& fractions) {
        texts = test::readingsGiving(fractions);
        source->start(3600);
        source->tick();
        source->tick();
        QCoreApplication::processEvents(); // views redraw on the next turn of the loop
    }
};

QLabel* label(const QWidget& view, const QString& name) {
    auto* found = view.findChild<QLabel*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
}

QColor textColor(const QLabel* label) {
    return label->palette().color(QPalette::WindowText);
}

QColor iconColor(const QLabel* icon) {
    const QImage image = icon->pixmap().toImage(); // the symbol's middle is a filled square
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

int rowCount(const QWidget& view) {
    return static_cast<int>(
        view.findChildren<QWidget*>(QRegularExpression(QStringLiteral("^core\\d+$"))).size());
}

QWidget& row(const QWidget& view, int index) {
    return *view.findChild<QWidget*>(QStringLiteral("core%1").arg(index));
}

void render(QWidget& view, const char* file) {
    view.adjustSize();
    EXPECT_TRUE(view.grab().save(test::renderPath(QLatin1String(file))));
}

TEST(CPUMenuBarViewTest, ReadingAndLoadColour) {
    FakeCPU cpu;
    CPUMenuBarView view(cpu.source);
    QLabel* value = label(view, QStringLiteral("value"));
    const QColor primary = view.palette().color(QPalette::WindowText);
    EXPECT_EQ(value->text(), QStringLiteral("  0%")) << "before any snapshot";
    EXPECT_EQ(textColor(value), primary);
    render(view, "cpu-menubar-waiting.png");

    const int width = value->width();
    const struct {
        double fraction;
        const char* text;
        QColor color;
    } cases[] = {{0.904, " 90%", kRed},     {0.896, " 90%", kOrange}, {0.75, " 75%", kOrange},
                 {0.7499, " 75%", primary}, {1.0, "100%", kRed},      {0.42, " 42%", primary}};
    for (const auto& c : cases) {
        cpu.show({c.fraction, c.fraction});
        EXPECT_EQ(value->text(), QLatin1String(c.text)) << c.fraction;
        EXPECT_EQ(textColor(value), c.color) << c.fraction;
        EXPECT_EQ(iconColor(label(view, QStringLiteral("icon"))).rgb(), c.color.rgb());
        EXPECT_EQ(value->width(), width) << "the frame never changes width";
        EXPECT_LE(value->fontMetrics().horizontalAdvance(value->text()), width);
        if (c.fraction == 1.0) {
            render(view, "cpu-menubar-full.png");
        }
    }
    EXPECT_GE(width, 30);
    render(view, "cpu-menubar.png");
}

TEST(CPUDetailViewTest, WaitingThenOneRowPerProcessor) {
    FakeCPU cpu;
    CPUDetailView view(cpu.source);
    EXPECT_EQ(view.width(), 260);
    EXPECT_EQ(label(view, QStringLiteral("title"))->text(), QStringLiteral("CPU"));
    QLabel* waiting = label(view, QStringLiteral("waiting"));
    QLabel* total = label(view, QStringLiteral("total"));
    EXPECT_TRUE(waiting->isVisibleTo(&view));
    EXPECT_EQ(waiting->text(), QString::fromUtf8("Waiting for data\xE2\x80\xA6"));
    EXPECT_FALSE(total->isVisibleTo(&view));
    EXPECT_EQ(rowCount(view), 0);
    render(view, "cpu-detail-waiting.png");

    const std::vector<double> loads{0.12, 0.935, 0.5, 0.0, 0.78, 0.333, 1.0, 0.05};
    cpu.show(loads);
    EXPECT_FALSE(waiting->isVisibleTo(&view));
    EXPECT_EQ(total->text(), QStringLiteral("Total  46%"));
    const QColor primary = view.palette().color(QPalette::WindowText);
    const char* values[] = {" 12%", " 94%", " 50%", "  0%", " 78%", " 33%", "100%", "  5%"};
    const QColor tints[] = {primary, kRed, primary, primary, kOrange, primary, kRed, primary};
    ASSERT_EQ(rowCount(view), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(label(row(view, i), QStringLiteral("label"))->text(),
                  QStringLiteral("Core %1").arg(i + 1));
        EXPECT_EQ(label(row(view, i), QStringLiteral("value"))->text(), QLatin1String(values[i]));
        const auto* bar = row(view, i).findChild<UsageBar*>();
        EXPECT_DOUBLE_EQ(bar->value(), loads[static_cast<std::size_t>(i)]);
        EXPECT_EQ(bar->tint(), tints[i]) << i;
    }
    render(view, "cpu-detail.png");
}

TEST(CPUDetailViewTest, RowsFollowTheProcessorCountAtTheEnd) {
    FakeCPU cpu;
    CPUDetailView view(cpu.source);
    cpu.show(std::vector<double>(8, 0.25));
    cpu.show({0.1, 0.2, 0.3});
    ASSERT_EQ(rowCount(view), 3);
    EXPECT_EQ(label(row(view, 2), QStringLiteral("value"))->text(), QStringLiteral(" 30%"));
    cpu.show({0.1, 0.2, 0.3, 0.4, 0.5});
    ASSERT_EQ(rowCount(view), 5);
    EXPECT_EQ(label(row(view, 4), QStringLiteral("label"))->text(), QStringLiteral("Core 5"));

    cpu.show({});
    EXPECT_EQ(label(view, QStringLiteral("total"))->text(), QStringLiteral("Total  0%"));
    EXPECT_EQ(rowCount(view), 0);
    EXPECT_FALSE(label(view, QStringLiteral("waiting"))->isVisibleTo(&view));
}

} // namespace
} // namespace velto
