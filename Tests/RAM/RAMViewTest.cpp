#include "MemInfoText.h"
#include "RAMCore/RAMDetailView.h"
#include "RAMCore/RAMMenuBarView.h"
#include "RAMCore/RAMMetricsSource.h"
#include "Support/TestEnvironment.h"

#include <CPUCore/UsageBar.h>
#include <QCoreApplication>
#include <QLabel>
#include <gtest/gtest.h>

namespace velto {
namespace {

const QColor kRed(255, 59, 48);
const QColor kOrange(255, 149, 0);

// A source that shows whatever sizes a test asks for, with 1 KiB pages.
struct FakeRAM {
    std::string text;
    std::shared_ptr<RAMMetricsSource> source = std::make_shared<RAMMetricsSource>(
        [this] { return std::optional(text); }, [] { return std::uint64_t{1024}; });

    void show(const test::MemInfoKiB& kib) {
        text = test::memInfo(kib);
        source->start(3600);
        QCoreApplication::processEvents(); // views redraw on the next turn of the loop
    }
};

QString text(const QWidget& view, const QString& name) {
    const auto* label = view.findChild<QLabel*>(name);
    return label ? label->text() : QStringLiteral("<no %1>").arg(name);
}

void render(QWidget& view, const char* file) {
    view.adjustSize();
    EXPECT_TRUE(view.grab().save(test::renderPath(QLatin1String(file))));
}

TEST(RAMMenuBarViewTest, ReadingAndLoadColour) {
    FakeRAM ram;
    RAMMenuBarView view(ram.source);
    const auto* value = view.findChild<QLabel*>(QStringLiteral("value"));
    const QColor primary = view.palette().color(QPalette::WindowText);
    EXPECT_EQ(value->text(), QStringLiteral("  0%")) << "before any snapshot";

    const struct {
        test::MemInfoKiB kib;
        const char* text;
        QColor color;
    } cases[] = {
        {{.total = 1000, .free = 500, .inactive = 500}, "  0%", primary},
        {{.total = 1000, .active = 600, .wired = 100, .zswap = 46}, " 75%", primary}, // 0.746
        {{.total = 1000, .active = 896, .inactive = 100}, " 90%", kOrange},
        {{.total = 1000, .active = 2000}, "100%", kRed},
    };
    for (const auto& c : cases) {
        ram.show(c.kib);
        EXPECT_EQ(value->text(), QLatin1String(c.text)) << c.text;
        EXPECT_EQ(value->palette().color(QPalette::WindowText), c.color) << c.text;
    }
    render(view, "ram-menubar-full.png");
    ram.show({.total = 1000, .active = 420});
    render(view, "ram-menubar.png");
}

TEST(RAMDetailViewTest, WaitingThenTheUsedShareAndFiveSizes) {
    FakeRAM ram;
    RAMDetailView view(ram.source);
    EXPECT_EQ(view.width(), 260);
    const auto* waiting = view.findChild<QLabel*>(QStringLiteral("waiting"));
    EXPECT_TRUE(waiting->isVisibleTo(&view));
    render(view, "ram-detail-waiting.png");

    // 16 GiB, of which 12 wired + active + compressed: the bar and the line agree.
    constexpr std::uint64_t GiB = 1 << 20; // in KiB
    ram.show({16 * GiB, GiB / 2, 9 * GiB, 3 * GiB, 2 * GiB, GiB});
    EXPECT_FALSE(waiting->isVisibleTo(&view));
    const auto* bar = view.findChild<UsageBar*>(QStringLiteral("bar"));
    EXPECT_DOUBLE_EQ(bar->value(), 0.75);
    EXPECT_EQ(bar->tint(), kOrange);
    EXPECT_EQ(text(view, QStringLiteral("used")), QStringLiteral("Used  75%"));
    render(view, "ram-detail.png");
    const std::pair<const char*, const char*> rows[] = {{"wired", "2 GiB"},
                                                        {"active", "9 GiB"},
                                                        {"inactive", "3 GiB"},
                                                        {"compressed", "1 GiB"},
                                                        {"free", "512 MiB"}};
    for (const auto& [name, bytes] : rows) {
        const auto* row = view.findChild<QWidget*>(QLatin1String(name));
        ASSERT_NE(row, nullptr) << name;
        const auto* caption = row->findChild<QLabel*>(QStringLiteral("caption"));
        const auto* value = row->findChild<QLabel*>(QStringLiteral("value"));
        EXPECT_EQ(caption->text().toLower(), QLatin1String(name));
        EXPECT_EQ(value->text(), QLatin1String(bytes)) << name;
        // Captions on the leading edge, sizes on the trailing edge, inside the 12 inset.
        EXPECT_EQ(caption->mapTo(&view, QPoint(0, 0)).x(), 12) << name;
        EXPECT_EQ(value->mapTo(&view, QPoint(value->width(), 0)).x(), 260 - 12) << name;
    }

    ram.show({.total = 0, .free = 64, .active = 900, .wired = 900});
    EXPECT_EQ(bar->value(), 0.0);
    EXPECT_EQ(bar->tint(), view.palette().color(QPalette::WindowText));
    EXPECT_EQ(text(view, QStringLiteral("used")), QStringLiteral("Used  0%"));
    EXPECT_EQ(text(*view.findChild<QWidget*>(QStringLiteral("free")), QStringLiteral("value")),
              QStringLiteral("64 KiB"));
    render(view, "ram-detail-no-total.png");
}

} // namespace
} // namespace velto
