// Automatic compact mode in the running arrangement: velto's own bar on an
// offscreen notebook panel ("eDP-1", 600 points wide; see
// fixtures/notebook-screen.json), the application's clock, timers and screens.

#include "MenuBarGauges.h"
#include "PluginLoader.h"
#include "PopoverShower.h"
#include "SettingsStore.h"
#include "StatusBarController.h"

#include <Platform/OwnStatusBar.h>
#include <Platform/Screen.h>
#include <Platform/StatusItem.h>
#include <Platform/UserDefaults.h>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <Support/TestEnvironment.h>
#include <gtest/gtest.h>

using namespace velto;
using test::gauge;

TEST(AutomaticCompactEndToEndTest, TooNarrowAScreenGetsTheCombinedItemUntilTheDisplaysChange) {
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_TRUE(screen);
    ASSERT_TRUE(platform::Screen(screen).isBuiltIn())
        << "needs QT_QPA_PLATFORM=offscreen:configfile=<fixtures/notebook-screen.json>, as ctest "
           "sets it; the screen is "
        << screen->name().toStdString();

    platform::UserDefaults defaults{QStringLiteral("org.velto.automatic-compact-end-to-end")};
    SettingsStore settings{defaults};
    PluginLoader loader{defaults};
    platform::OwnStatusBar bar;
    PopoverShower shower;
    StatusBarController controller{settings, loader, nullptr, bar, shower};

    // Five items of 114 points, four gaps and the gear: 614 points on a 600-point screen.
    QElapsedTimer sincePresent;
    sincePresent.start();
    controller.present({gauge("cpu", 110, "CPU 37%"), gauge("ram", 110, "RAM 61%"),
                        gauge("gpu", 110, "GPU 12%"), gauge("network", 110, "\u2193 1.2 KB/s"),
                        gauge("disk", 110, "Disk 40%")});
    QCoreApplication::sendPostedEvents();
    const std::optional<QRectF> gear = controller.settingsItem()->frame();
    ASSERT_TRUE(gear);
    EXPECT_LT(gear->x(), 0) << "the strip runs off the screen's left edge";

    // Checks every 3 s from start; the third hidden one switches.
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.isCombined(); }, 15000));
    EXPECT_GE(sincePresent.elapsed(), 8500);
    EXPECT_LT(sincePresent.elapsed(), 12000);
    EXPECT_TRUE(controller.isAutoCombined());
    EXPECT_TRUE(controller.combinedItem()->isVisible());
    EXPECT_FALSE(controller.settingsItem()->isVisible());
    const std::optional<QRectF> combined = controller.combinedItem()->frame();
    ASSERT_TRUE(combined);
    EXPECT_GE(combined->x(), 0) << "the combined item fits";
    EXPECT_TRUE(
        bar.window()->grab().save(test::renderPath(QStringLiteral("menubar-auto-combined.png"))));

    // The panel reports a new geometry, as after a change of resolution; 4.5 s
    // later the widgets are back in their own items.
    QElapsedTimer sinceChange;
    sinceChange.start();
    Q_EMIT screen->geometryChanged(screen->geometry());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !controller.isCombined(); }, 10000));
    EXPECT_GE(sinceChange.elapsed(), 4300);
    EXPECT_LT(sinceChange.elapsed(), 7000);
    EXPECT_FALSE(controller.isAutoCombined());
    EXPECT_TRUE(controller.settingsItem()->isVisible());
    EXPECT_FALSE(controller.combinedItem()->isVisible());
    for (const char* id : {"cpu", "ram", "gpu", "network", "disk"})
        EXPECT_TRUE(controller.slot(QString::fromLatin1(id))->item->isVisible()) << id;
}
