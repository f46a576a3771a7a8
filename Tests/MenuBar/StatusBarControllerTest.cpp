#include "StatusBarController.h"

#include "MenuBarGauges.h"
#include "PassthroughHostingView.h"
#include "PluginLoader.h"
#include "PopoverContent.h"
#include "PopoverShower.h"
#include "SettingsPlacement.h"
#include "SettingsStore.h"
#include "SettingsView.h"
#include "SettingsWindow.h"

#include <Platform/OwnStatusBar.h>
#include <Platform/OwnStatusItem.h>
#include <Platform/Popover.h>
#include <Platform/Screen.h>
#include <Platform/StatusBarButton.h>
#include <Platform/UserDefaults.h>
#include <QAbstractButton>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <Support/TestEnvironment.h>
#include <gtest/gtest.h>

using namespace velto;

namespace {

using test::gauge;

const platform::OwnStatusItem& own(const platform::StatusItem* item) {
    return *static_cast<const platform::OwnStatusItem*>(item);
}

class StatusBarControllerTest : public testing::Test {
protected:
    static void settle() {
        QCoreApplication::sendPostedEvents();
        QTest::qWait(10);
    }
    // The settings window is a plain window on the offscreen platform, so a
    // picture of the screen is put together from the top-level windows.
    static QImage screenPicture(const std::vector<QWidget*>& windows) {
        QImage image(QGuiApplication::primaryScreen()->geometry().size(), QImage::Format_ARGB32);
        image.fill(QColor(0x3a, 0x4a, 0x5a));
        QPainter painter(&image);
        for (QWidget* window : windows) {
            painter.fillRect(window->frameGeometry(), Qt::darkGray);
            painter.drawPixmap(window->geometry().topLeft(), window->grab());
        }
        return image;
    }

    platform::UserDefaults defaults{QStringLiteral("org.velto.status-bar-controller")};
    SettingsStore settings{defaults};
    PluginLoader loader{defaults};
    platform::OwnStatusBar bar;
    PopoverShower shower;
    StatusBarController controller{settings, loader, nullptr, bar, shower};
};

} // namespace

TEST_F(StatusBarControllerTest, AReadingWidensItsSlotButNeverNarrowsIt) {
    const auto cpu = gauge("cpu", 37.2, "CPU 37%");
    controller.present({cpu});
    settle();
    const StatusBarController::Slot* slot = controller.slot(QStringLiteral("cpu"));
    ASSERT_TRUE(slot && slot->item);
    EXPECT_EQ(slot->contentWidth, 38);
    EXPECT_EQ(slot->item->length(), 42);
    EXPECT_EQ(slot->hosting->frame(), QRectF(2, 0, 38, bar.thickness()));

    const int lengths = own(slot->item).lengthAssignments();
    const int frames = slot->hosting->frameAssignments();
    cpu->reading->setWidth(30);
    settle();
    EXPECT_EQ(slot->contentWidth, 38);
    EXPECT_EQ(own(slot->item).lengthAssignments(), lengths);

    cpu->reading->setWidth(40.5);
    settle();
    EXPECT_EQ(slot->contentWidth, 41);
    EXPECT_EQ(slot->item->length(), 45);
    EXPECT_EQ(slot->hosting->frame(), QRectF(2, 0, 41, bar.thickness()));
    EXPECT_EQ(own(slot->item).lengthAssignments(), lengths + 1) << "one relayout";
    EXPECT_EQ(slot->hosting->frameAssignments(), frames + 1)
        << "the resize's own layout pass measures 41 again and lays nothing out";
}

TEST_F(StatusBarControllerTest, ARelayoutWithNothingChangedAssignsNothing) {
    const auto cpu = gauge("cpu");
    controller.present({cpu, gauge("ram")});
    settle();
    const auto* slot = controller.slot(QStringLiteral("cpu"));
    const auto assignments = [&] {
        return own(slot->item).lengthAssignments() + own(slot->item).visibilityAssignments() +
               own(controller.settingsItem()).visibilityAssignments() +
               slot->hosting->frameAssignments();
    };
    const int before = assignments();
    controller.applyEnabledState();
    controller.applyEnabledState();
    settle();
    EXPECT_EQ(assignments(), before);
    EXPECT_EQ(cpu->starts, std::vector<double>{1.0}) << "nothing changed, nothing restarted";
}

TEST_F(StatusBarControllerTest, ADisabledWidgetGetsAHiddenItemAndIsNotStarted) {
    settings.setEnabled(false, QStringLiteral("ram"));
    settings.setRefreshInterval(2.0);
    const auto cpu = gauge("cpu");
    const auto ram = gauge("ram", 20);
    controller.present({cpu, ram});
    settle();

    const auto* slot = controller.slot(QStringLiteral("ram"));
    ASSERT_TRUE(slot && slot->item && slot->popover);
    EXPECT_FALSE(slot->item->isVisible());
    EXPECT_TRUE(slot->hosting->isHiddenWanted());
    EXPECT_EQ(slot->item->length(), 24) << "a hidden item keeps its length up to date";
    EXPECT_TRUE(ram->starts.empty());
    EXPECT_EQ(cpu->starts, std::vector<double>{2.0});
    EXPECT_EQ(slot->item->autosaveName(), QStringLiteral("velto.widget.ram"));

    settings.setEnabled(true, QStringLiteral("ram"));
    controller.applyEnabledState();
    EXPECT_TRUE(slot->item->isVisible());
    EXPECT_FALSE(slot->hosting->isHiddenWanted());
    EXPECT_EQ(ram->starts, std::vector<double>{2.0});
}

TEST_F(StatusBarControllerTest, PresentingNothingNewChangesNothing) {
    controller.present({});
    EXPECT_TRUE(bar.items().empty()) << "no gear item on a first empty call";

    controller.present({gauge("cpu")});
    ASSERT_EQ(bar.items().size(), 2u);
    const auto again = gauge("cpu");
    controller.present({again});
    controller.present({});
    EXPECT_EQ(bar.items().size(), 2u);
    EXPECT_TRUE(again->starts.empty()) << "a repeated id is never started";

    // Within one batch too: the first widget with an id wins.
    const auto first = gauge("ram");
    const auto second = gauge("ram");
    controller.present({first, second});
    EXPECT_EQ(bar.items().size(), 3u);
    EXPECT_EQ(controller.widgets().size(), 2u);
    EXPECT_EQ(first->starts.size(), 1u);
    EXPECT_TRUE(second->starts.empty());
}

TEST_F(StatusBarControllerTest, ASecondPresentAddsOneItemAndRefreshesTheOpenSettingsWindow) {
    controller.present({gauge("cpu")});
    platform::StatusItem* gear = controller.settingsItem();
    ASSERT_TRUE(gear && gear->button());
    EXPECT_EQ(gear->button()->title(), QStringLiteral("\u2699"));

    // "Settings…" in the reading's popover opens the window.
    const auto* cpu = controller.slot(QStringLiteral("cpu"));
    QAbstractButton* settingsRow = PopoverContent::settingsButton(cpu->popover->content());
    ASSERT_NE(settingsRow, nullptr);
    settingsRow->click();
    SettingsWindow* window = controller.settingsWindow();
    ASSERT_TRUE(window && window->isVisible());
    controller.present({gauge("ram")});
    EXPECT_EQ(bar.items().size(), 3u);
    EXPECT_EQ(controller.settingsItem(), gear);
    EXPECT_EQ(controller.settingsWindow(), window);
    const auto* view = qobject_cast<SettingsView*>(window->contentView());
    ASSERT_TRUE(view && view->widgetSwitch(QStringLiteral("cpu")) &&
                view->widgetSwitch(QStringLiteral("ram")));

    // The new view's switches reach the controller.
    view->widgetSwitch(QStringLiteral("ram"))->click();
    EXPECT_FALSE(controller.slot(QStringLiteral("ram"))->item->isVisible());
}

TEST_F(StatusBarControllerTest, TheSettingsWindowOpensBelowTheGearAndStaysTheSameWindow) {
    controller.present({gauge("cpu", 52, "CPU 37%")});
    settle();
    const auto cpu = controller.slot(QStringLiteral("cpu"))->item->button()->itemWindow();
    const auto gear = controller.settingsItem()->button()->itemWindow();
    ASSERT_TRUE(cpu && gear);
    EXPECT_LE(gear->frame.x() + gear->frame.width(), cpu->frame.x())
        << "items run right to left in the order made, so the gear sits left of the reading";
    EXPECT_EQ(gear->frame.width(), bar.thickness()) << "a square item";
    EXPECT_TRUE(bar.window()->grab().save(test::renderPath(QStringLiteral("menubar-own-bar.png"))));

    controller.openSettings();
    settle();
    SettingsWindow* window = controller.settingsWindow();
    ASSERT_TRUE(window && window->isVisible());
    EXPECT_GE(window->width(), SettingsWindow::kWidth);
    EXPECT_GE(window->height(), SettingsWindow::kHeight);
    const QRectF visible = platform::Screen::main()->visibleFrame();
    const auto placedBelowTheGear = [&] {
        const QRectF frame = window->frameRect();
        // The gear is near the screen's right end, so the window meets that edge.
        EXPECT_NEAR(frame.x() + frame.width(), visible.x() + visible.width(), 0.5);
        EXPECT_NEAR(frame.y() + frame.height(), gear->frame.y() - SettingsPlacement::gap, 0.5);
    };
    placedBelowTheGear();
    EXPECT_TRUE(screenPicture({bar.window(), window})
                    .save(test::renderPath(QStringLiteral("menubar-settings-below-gear.png"))));

    window->close();
    settle();
    EXPECT_FALSE(window->isVisible());
    window->move(10, 300);
    controller.openSettings();
    settle();
    EXPECT_EQ(controller.settingsWindow(), window);
    EXPECT_TRUE(window->isVisible());
    placedBelowTheGear();
}

TEST_F(StatusBarControllerTest, CompactModeMovesTheReadingsIntoOneItemAndBack) {
    controller.present({gauge("cpu", 38), gauge("ram", 50)});
    settle();
    const auto* cpu = controller.slot(QStringLiteral("cpu"));
    const auto* ram = controller.slot(QStringLiteral("ram"));
    cpu->popover->show(QRectF(0, 0, 10, 10), cpu->hosting.get(), platform::RectEdge::MinY);

    settings.setCompactMenuBar(true);
    controller.applyEnabledState();
    platform::StatusItem* combined = controller.combinedItem();
    ASSERT_TRUE(controller.isCombined() && combined);
    EXPECT_FALSE(cpu->popover->isShown()) << "a switch closes the open popover";
    EXPECT_TRUE(combined->isVisible());
    EXPECT_FALSE(cpu->item->isVisible() || controller.settingsItem()->isVisible());
    EXPECT_EQ(cpu->hosting->parentWidget(), combined->button()->view());
    EXPECT_EQ(cpu->hosting->frame().x(), 2);
    EXPECT_EQ(ram->hosting->frame().x(), 43);
    EXPECT_GT(combined->length(), 2 + 38 + 3 + 50 + 3 + 2) << "the gear glyph takes the last place";

    settings.setCompactMenuBar(false);
    controller.applyEnabledState();
    EXPECT_FALSE(controller.isCombined() || combined->isVisible());
    EXPECT_TRUE(cpu->item->isVisible());
    EXPECT_EQ(cpu->hosting->parentWidget(), cpu->item->button()->view());
    EXPECT_EQ(cpu->hosting->frame(), QRectF(2, 0, 38, bar.thickness()));
}
