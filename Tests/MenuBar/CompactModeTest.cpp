// The combined item on velto's own bar: its layout, its clicks and renders.

#include "MenuBarGauges.h"
#include "PassthroughHostingView.h"
#include "PluginLoader.h"
#include "PopoverShower.h"
#include "SettingsStore.h"
#include "SettingsWindow.h"
#include "StatusBarController.h"

#include <Platform/OwnStatusBar.h>
#include <Platform/Popover.h>
#include <Platform/StatusBarButton.h>
#include <Platform/StatusItem.h>
#include <Platform/UserDefaults.h>
#include <QTest>
#include <Support/TestEnvironment.h>
#include <gtest/gtest.h>

using namespace velto;
using test::gauge;

namespace {

class CompactModeTest : public testing::Test {
protected:
    static void settle() {
        QCoreApplication::sendPostedEvents();
        QTest::qWait(10);
    }
    void compactOn() {
        settings.setCompactMenuBar(true);
        controller.applyEnabledState();
        settle();
    }
    const StatusBarController::Slot& slot(const char* id) const {
        return *controller.slot(QString::fromLatin1(id));
    }
    platform::Popover& popover(const char* id) const { return *slot(id).popover; }
    /// A real press and release at @p x in the combined item's button.
    void clickCombinedAt(double x) {
        QWidget* view = controller.combinedItem()->button()->view();
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(int(x), view->height() / 2));
    }
    std::vector<const char*> shownPopovers(const std::vector<const char*>& ids) const {
        std::vector<const char*> shown;
        for (const char* id : ids)
            if (popover(id).isShown())
                shown.push_back(id);
        return shown;
    }

    platform::UserDefaults defaults{QStringLiteral("org.velto.compact-mode")};
    SettingsStore settings{defaults};
    PluginLoader loader{defaults};
    platform::OwnStatusBar bar;
    PopoverShower shower;
    StatusBarController controller{settings, loader, nullptr, bar, shower};
};

} // namespace

TEST_F(CompactModeTest, TheCombinedItemPacksTheReadingsAndPutsTheGearLast) {
    controller.present({gauge("cpu", 38), gauge("ram", 50), gauge("gpu", 14)});
    settle();
    compactOn();

    platform::StatusItem* combined = controller.combinedItem();
    ASSERT_TRUE(combined && controller.gearHosting());
    EXPECT_EQ(combined->autosaveName(), QStringLiteral("velto.compact"));
    EXPECT_EQ(slot("cpu").hosting->frame(), QRectF(2, 0, 38, bar.thickness()));
    EXPECT_EQ(slot("ram").hosting->frame(), QRectF(43, 0, 50, bar.thickness()));
    EXPECT_EQ(slot("gpu").hosting->frame(), QRectF(96, 0, 14, bar.thickness()));
    const QRectF gear = controller.gearHosting()->frame();
    EXPECT_EQ(gear.x(), 113);
    EXPECT_EQ(gear.width(), std::ceil(gear.width())) << "the glyph's width in whole points";
    // With the 12-point gear of the example this is 127.
    EXPECT_EQ(combined->length(), 113 + gear.width() + 2) << "gear width " << gear.width();
    EXPECT_EQ(controller.gearHosting()->parentWidget(), combined->button()->view());

    // Hidden, not removed: three widget items, the gear item and the combined one.
    EXPECT_EQ(bar.items().size(), 5u);
    EXPECT_FALSE(controller.settingsItem()->isVisible());
    for (const char* id : {"cpu", "ram", "gpu"})
        EXPECT_FALSE(slot(id).item->isVisible()) << id;
    EXPECT_TRUE(combined->isVisible());
}

TEST_F(CompactModeTest, AClickOpensTheNearestReadingAndPastThemTheLast) {
    controller.present({gauge("cpu", 38), gauge("ram", 50), gauge("gpu", 14)});
    settle();
    compactOn();
    const std::vector<const char*> ids{"cpu", "ram", "gpu"};

    // The first reading spans x 2 to 40; half of each 3-point gap is its own.
    const std::vector<std::pair<double, const char*>> clicks{
        {41, "cpu"}, // 1 point right of the first view
        {42, "ram"}, // 2 points right of it
        {1, "cpu"},  // in the leading padding, 1 point from the first view
        {0, "gpu"},  // in the leading padding, more than 1.5 from it: the last one
        {96, "gpu"},
    };
    for (const auto& [x, expected] : clicks) {
        clickCombinedAt(x);
        EXPECT_EQ(shownPopovers(ids), std::vector<const char*>{expected}) << "click at " << x;
        shower.closeAll();
    }

    clickCombinedAt(43);
    clickCombinedAt(43);
    EXPECT_TRUE(shownPopovers(ids).empty()) << "a second click closes the popover";

    controller.combinedItem()->button()->performClick();
    EXPECT_TRUE(shownPopovers(ids).empty()) << "a click with no location does nothing";
    EXPECT_EQ(controller.settingsWindow(), nullptr);

    clickCombinedAt(controller.gearHosting()->frame().center().x());
    ASSERT_NE(controller.settingsWindow(), nullptr);
    EXPECT_TRUE(controller.settingsWindow()->isVisible());
}

TEST_F(CompactModeTest, WithEveryWidgetDisabledOnlyTheGearIsLeft) {
    controller.present({gauge("cpu", 38), gauge("ram", 50)});
    settle();
    settings.setEnabled(false, QStringLiteral("cpu"));
    settings.setEnabled(false, QStringLiteral("ram"));
    compactOn();

    const QRectF gear = controller.gearHosting()->frame();
    EXPECT_EQ(gear.x(), 2);
    EXPECT_EQ(controller.combinedItem()->length(), gear.width() + 4);
    EXPECT_TRUE(slot("cpu").hosting->isHiddenWanted() && slot("ram").hosting->isHiddenWanted());

    clickCombinedAt(0);
    clickCombinedAt(gear.right() + 1);
    EXPECT_TRUE(shownPopovers({"cpu", "ram"}).empty());
    EXPECT_EQ(controller.settingsWindow(), nullptr) << "a click beside the gear does nothing";
}

TEST_F(CompactModeTest, RendersOfTheCombinedItem) {
    controller.present({gauge("cpu", 0, "CPU 37%"), gauge("ram", 0, "RAM 61%"),
                        gauge("gpu", 0, "GPU 12%"),
                        gauge("network", 0, "\u2193 1.2 KB/s \u2191 340 B/s")});
    settle();
    compactOn();
    const auto packed = [&](const std::vector<const char*>& ids) {
        double x = 2;
        for (const char* id : ids) {
            EXPECT_EQ(slot(id).hosting->frame().x(), x) << id;
            x += slot(id).contentWidth + 3;
        }
        EXPECT_EQ(controller.gearHosting()->frame().x(), x);
        EXPECT_EQ(controller.combinedItem()->length(),
                  x + controller.gearHosting()->frame().width() + 2);
    };
    packed({"cpu", "ram", "gpu", "network"});
    EXPECT_TRUE(
        bar.window()->grab().save(test::renderPath(QStringLiteral("menubar-combined.png"))));

    settings.setEnabled(false, QStringLiteral("gpu"));
    controller.applyEnabledState();
    settle();
    packed({"cpu", "ram", "network"});
    EXPECT_TRUE(bar.window()->grab().save(
        test::renderPath(QStringLiteral("menubar-combined-gpu-disabled.png"))));
}
