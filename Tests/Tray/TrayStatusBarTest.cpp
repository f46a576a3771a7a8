#include "FakeTrayWatcher.h"
#include "PluginLoader.h"
#include "PopoverShower.h"
#include "SettingsStore.h"
#include "StatusBarController.h"
#include "TrayBusCalls.h"
#include "TrayBusTypes.h"

#include <MenuBar/MenuBarGauges.h>
#include <Platform/OwnStatusBar.h>
#include <Platform/OwnStatusBarButton.h>
#include <Platform/OwnStatusItem.h>
#include <Platform/Popover.h>
#include <Platform/StatusBarButton.h>
#include <Platform/StatusNotifierItem.h>
#include <Platform/StatusNotifierTypes.h>
#include <Platform/TrayStatusBar.h>
#include <Platform/TrayStatusItem.h>
#include <Platform/UserDefaults.h>
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QLabel>
#include <QRect>
#include <QScreen>
#include <QWindow>
#include <Support/TestEnvironment.h>
#include <gtest/gtest.h>

using namespace velto;
using namespace velto::platform;

namespace {

using test::callItem;
using test::itemProperty;
using test::registerTrayTypes;
using test::waitUntil;

// The smallest rectangle holding every pixel that is not clear.
QRect inkBounds(const QImage& image) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

TrayPixmapList iconPixmap(const QString& service) {
    registerTrayTypes();
    return qdbus_cast<TrayPixmapList>(itemProperty(service, QStringLiteral("IconPixmap")));
}

void activate(const QString& service, int x, int y) {
    callItem(service, QStringLiteral("org.kde.StatusNotifierItem"), QStringLiteral("Activate"),
             {x, y});
}

struct Reading {
    StatusItem* item;
    // Subviews belong to whoever adds them.
    std::unique_ptr<QLabel> owned;
    QLabel* label;
};

// A widget item as the host makes it: a variable-length item holding a reading.
Reading addReading(TrayStatusBar& bar, const QString& text, const QString& name) {
    StatusItem* item = bar.statusItem(StatusItem::kVariableLength);
    item->setAutosaveName(QStringLiteral("velto.widget.") + name);
    auto label = std::make_unique<QLabel>(text);
    label->setToolTip(name);
    label->setGeometry(2, 0, 40, 24);
    item->button()->addSubview(label.get());
    QLabel* view = label.get();
    return {item, std::move(label), view};
}

QString serviceOf(StatusItem* item) {
    auto* trayItem = static_cast<TrayStatusItem*>(item);
    return trayItem->exported() ? trayItem->exported()->serviceName() : QString();
}

class TrayStatusBarTest : public testing::Test {
protected:
    test::FakeTrayWatcher watcher;
};

} // namespace

TEST_F(TrayStatusBarTest, WithoutAWatcherTheItemsStayOnTheOwnBar) {
    TrayStatusBar bar(QDBusConnection::sessionBus());
    const Reading cpu = addReading(bar, QStringLiteral("37%"), QStringLiteral("cpu"));
    QCoreApplication::processEvents();

    EXPECT_FALSE(bar.isInTray());
    EXPECT_TRUE(bar.reportsItemFrames());
    EXPECT_FALSE(bar.ownBar().isOffScreen());
    EXPECT_TRUE(bar.ownBar().window()->isVisible());
    EXPECT_TRUE(cpu.item->frame().has_value());
    EXPECT_TRUE(watcher.registered().isEmpty());
}

TEST_F(TrayStatusBarTest, ItemsRegisterAndCarryTheirReading) {
    ASSERT_TRUE(watcher.join());
    TrayStatusBar bar(QDBusConnection::sessionBus());
    const Reading cpu = addReading(bar, QStringLiteral("37%"), QStringLiteral("cpu"));
    StatusItem* gear = bar.statusItem(StatusItem::kSquareLength);
    gear->button()->setTitle(QStringLiteral("\u2699"));

    ASSERT_TRUE(waitUntil([&] { return watcher.registered().size() == 2; }));
    EXPECT_TRUE(bar.isInTray());
    EXPECT_FALSE(bar.reportsItemFrames());
    EXPECT_TRUE(bar.ownBar().isOffScreen());
    const QString service = serviceOf(cpu.item);
    EXPECT_TRUE(watcher.registered().contains(service));
    EXPECT_TRUE(service.startsWith(
        QStringLiteral("org.kde.StatusNotifierItem-%1-").arg(QCoreApplication::applicationPid())));

    EXPECT_EQ(itemProperty(service, QStringLiteral("Id")).toString(),
              QStringLiteral("velto.widget.cpu"));
    EXPECT_EQ(itemProperty(service, QStringLiteral("Category")).toString(),
              QStringLiteral("Hardware"));
    EXPECT_EQ(itemProperty(service, QStringLiteral("Status")).toString(), QStringLiteral("Active"));
    EXPECT_EQ(itemProperty(service, QStringLiteral("ItemIsMenu")).toBool(), false);
    EXPECT_EQ(itemProperty(service, QStringLiteral("Title")).toString(), QStringLiteral("cpu"));
    EXPECT_EQ(itemProperty(service, QStringLiteral("XAyatanaLabel")).toString(),
              QStringLiteral("37%"));
    EXPECT_EQ(itemProperty(service, QStringLiteral("XAyatanaLabelGuide")).toString(),
              QStringLiteral("88%"));
    EXPECT_EQ(itemProperty(serviceOf(gear), QStringLiteral("Category")).toString(),
              QStringLiteral("SystemServices"));

    // Square ones with the figure alone, then as drawn at each height hosts
    // use, then one large square for hosts that take the largest image.
    const TrayPixmapList pixmaps = iconPixmap(service);
    ASSERT_EQ(pixmaps.size(), 9);
    for (int i = 0; i < 4; ++i) {
        const int height = (std::array{16, 22, 24, 32})[i];
        EXPECT_EQ(pixmaps[i].width, height);
        EXPECT_EQ(pixmaps[i].height, height);
        EXPECT_EQ(pixmaps[i + 4].height, height);
        EXPECT_GT(pixmaps[i + 4].width, height);
    }
    EXPECT_EQ(pixmaps[8].width, 64);
    for (const TrayPixmap& pixmap : pixmaps)
        EXPECT_FALSE(pixmap.toImage().isNull());
    const QImage drawn = pixmaps[5].toImage();
    EXPECT_TRUE(std::any_of(reinterpret_cast<const QRgb*>(drawn.constBits()),
                            reinterpret_cast<const QRgb*>(drawn.constBits()) +
                                drawn.width() * drawn.height(),
                            [](QRgb pixel) { return qAlpha(pixel) > 0; }));
    // The figure fills its square legibly and is centred in it, at every size.
    for (const int i : {0, 1, 2, 3, 8}) {
        const QImage square = pixmaps[i].toImage();
        const QRect ink = inkBounds(square);
        ASSERT_FALSE(ink.isEmpty()) << i;
        EXPECT_TRUE(square.rect().contains(ink)) << i;
        EXPECT_GE(ink.width(), square.width() * 0.6) << i;
        EXPECT_NEAR(ink.center().x(), square.width() / 2.0, square.width() * 0.12) << i;
        EXPECT_NEAR(ink.center().y(), square.height() / 2.0, square.height() * 0.12) << i;
        // Solid digits in the reading's colour with a halo of the opposite
        // lightness around them, so they read on a dark panel and a light one.
        const QColor text = cpu.label->palette().color(cpu.label->foregroundRole());
        int solid = 0, halo = 0;
        for (int y = 0; y < square.height(); ++y)
            for (int x = 0; x < square.width(); ++x) {
                const QColor pixel = square.pixelColor(x, y);
                if (pixel.alpha() >= 160 && std::abs(pixel.lightness() - text.lightness()) < 60)
                    ++solid;
                else if (pixel.alpha() > 60 && std::abs(pixel.lightness() - text.lightness()) > 150)
                    ++halo;
            }
        EXPECT_GT(solid, square.width()) << i;
        EXPECT_GT(halo, square.width()) << i;
    }
    drawn.save(test::renderPath(QStringLiteral("tray-cpu-22.png")));
    pixmaps[1].toImage().save(test::renderPath(QStringLiteral("tray-cpu-square-22.png")));
    // The gear is square already, so it has nothing to add beside its drawings.
    EXPECT_EQ(iconPixmap(serviceOf(gear)).size(), 4);
}

// Hosts that draw the largest image in a square (Xfce's status tray) must
// find the figures there even for a wide item, like the combined one.
TEST_F(TrayStatusBarTest, AWideItemsLargestImageIsStillTheSquareOfFigures) {
    ASSERT_TRUE(watcher.join());
    TrayStatusBar bar(QDBusConnection::sessionBus());
    const Reading combined =
        addReading(bar, QStringLiteral("12%  3.4 GB  1.5 KB/s  0.0 B/s"), QStringLiteral("all"));
    combined.label->setGeometry(2, 0, 260, 24);
    combined.item->setLength(264);
    ASSERT_TRUE(waitUntil([&] { return watcher.registered().size() == 1; }));
    const TrayPixmapList pixmaps = iconPixmap(serviceOf(combined.item));
    ASSERT_EQ(pixmaps.size(), 9);
    const TrayPixmap& large = pixmaps.back();
    EXPECT_EQ(large.width, large.height);
    for (qsizetype i = 0; i + 1 < pixmaps.size(); ++i)
        EXPECT_GT(large.width * large.height, pixmaps[i].width * pixmaps[i].height) << i;
    const QRect ink = inkBounds(large.toImage());
    EXPECT_GE(ink.width(), large.width * 0.6);
}

TEST_F(TrayStatusBarTest, IconAndStatusSignalOnlyWhatChanged) {
    ASSERT_TRUE(watcher.join());
    TrayStatusBar bar(QDBusConnection::sessionBus());
    const Reading cpu = addReading(bar, QStringLiteral("37%"), QStringLiteral("cpu"));
    ASSERT_TRUE(waitUntil([&] { return watcher.registered().size() == 1; }));
    StatusNotifierItem& exported = *static_cast<TrayStatusItem*>(cpu.item)->exported();
    const TrayPixmapList before = iconPixmap(exported.serviceName());
    const int icons = exported.newIconCount();

    // A repaint with the same reading sends nothing.
    cpu.label->setText(QStringLiteral("37%"));
    cpu.label->repaint();
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(exported.newIconCount(), icons);

    cpu.label->setText(QStringLiteral("58%"));
    ASSERT_TRUE(waitUntil([&] { return exported.newIconCount() == icons + 1; }));
    EXPECT_NE(iconPixmap(exported.serviceName()), before);
    EXPECT_EQ(exported.label(), QStringLiteral("58%"));

    // Back to a reading shown before: the host hears of it and gets the same
    // images as then, whose figures are not drawn again.
    const int drawn = static_cast<TrayStatusItem*>(cpu.item)->figureSquares().drawnCount();
    cpu.label->setText(QStringLiteral("37%"));
    ASSERT_TRUE(waitUntil([&] { return exported.newIconCount() == icons + 2; }));
    EXPECT_EQ(iconPixmap(exported.serviceName()), before);
    EXPECT_EQ(static_cast<TrayStatusItem*>(cpu.item)->figureSquares().drawnCount(), drawn);

    // Hidden items are never unregistered; they turn passive.
    cpu.item->setVisible(false);
    ASSERT_TRUE(waitUntil([&] { return exported.status() == QStringLiteral("Passive"); }));
    EXPECT_EQ(itemProperty(exported.serviceName(), QStringLiteral("Status")).toString(),
              QStringLiteral("Passive"));
    EXPECT_TRUE(watcher.registered().contains(exported.serviceName()));
    cpu.item->setVisible(true);
    ASSERT_TRUE(waitUntil([&] { return exported.status() == QStringLiteral("Active"); }));
}

TEST_F(TrayStatusBarTest, ActivateOpensAndClosesThePopoverWhereTheHostSays) {
    ASSERT_TRUE(watcher.join());
    TrayStatusBar bar(QDBusConnection::sessionBus());
    const Reading cpu = addReading(bar, QStringLiteral("37%"), QStringLiteral("cpu"));
    Popover popover;
    auto content = std::make_unique<QLabel>(QStringLiteral("detail"));
    content->setFixedSize(200, 120);
    popover.setContent(std::move(content));
    cpu.item->button()->setAction([&](StatusBarButton&) {
        if (popover.isShown())
            popover.performClose();
        else
            popover.show(QRectF(cpu.label->rect()), cpu.label, RectEdge::MinY);
    });
    ASSERT_TRUE(waitUntil([&] { return watcher.registered().size() == 1; }));
    const QString service = serviceOf(cpu.item);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();

    activate(service, screen.center().x(), screen.center().y());
    ASSERT_TRUE(waitUntil([&] { return popover.isShown(); }));
    const QRect shown = popover.window()->geometry();
    EXPECT_NEAR(shown.center().x(), screen.center().x(), 25);
    EXPECT_GT(shown.top(), screen.center().y());
    EXPECT_LT(shown.top(), screen.center().y() + 40);

    activate(service, screen.center().x(), screen.center().y());
    ASSERT_TRUE(waitUntil([&] { return !popover.isShown(); }));

    // A host that gives no place: below the top right corner of the primary screen.
    activate(service, 0, 0);
    ASSERT_TRUE(waitUntil([&] { return popover.isShown(); }));
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(popover.window()->geometry().right(), available.right());
    EXPECT_GT(popover.window()->geometry().right(), available.right() - 80);
    EXPECT_LT(popover.window()->geometry().top(), available.top() + 40);

    // A point at the bottom edge (a panel at the bottom) keeps the popover on screen.
    popover.performClose();
    activate(service, screen.right() - 1, screen.bottom() - 1);
    ASSERT_TRUE(waitUntil([&] { return popover.isShown(); }));
    EXPECT_TRUE(screen.contains(popover.window()->geometry()));
}

TEST_F(TrayStatusBarTest, SecondaryClicksRunTheSecondaryAction) {
    ASSERT_TRUE(watcher.join());
    TrayStatusBar bar(QDBusConnection::sessionBus());
    const Reading cpu = addReading(bar, QStringLiteral("37%"), QStringLiteral("cpu"));
    int clicks = 0, settings = 0;
    cpu.item->button()->setAction([&](StatusBarButton&) { ++clicks; });
    bar.setSecondaryAction([&] { ++settings; });
    ASSERT_TRUE(waitUntil([&] { return watcher.registered().size() == 1; }));

    for (const char* method : {"SecondaryActivate", "ContextMenu"})
        callItem(serviceOf(cpu.item), QStringLiteral("org.kde.StatusNotifierItem"),
                 QString::fromLatin1(method), {10, 10});
    EXPECT_TRUE(waitUntil([&] { return settings == 2; }));
    EXPECT_EQ(clicks, 0);
}

TEST_F(TrayStatusBarTest, TheWatcherLeavingAndReturningLosesNothing) {
    ASSERT_TRUE(watcher.join());
    TrayStatusBar bar(QDBusConnection::sessionBus());
    const Reading cpu = addReading(bar, QStringLiteral("37%"), QStringLiteral("cpu"));
    const Reading ram = addReading(bar, QStringLiteral("70%"), QStringLiteral("ram"));
    ram.item->setVisible(false);
    ASSERT_TRUE(waitUntil([&] { return watcher.registered().size() == 2; }));

    watcher.leave();
    ASSERT_TRUE(waitUntil([&] { return !bar.isInTray(); }));
    EXPECT_FALSE(bar.ownBar().isOffScreen());
    EXPECT_TRUE(bar.ownBar().window()->isVisible());
    EXPECT_TRUE(cpu.item->frame().has_value());
    EXPECT_FALSE(ram.item->frame().has_value());
    EXPECT_EQ(cpu.item->button()->subviews(), std::vector<QWidget*>{cpu.label});

    // Back again: every item registers anew, hidden ones as passive.
    cpu.label->setText(QStringLiteral("12%"));
    ASSERT_TRUE(watcher.join());
    ASSERT_TRUE(waitUntil([&] { return watcher.registered().size() == 2; }));
    EXPECT_TRUE(bar.isInTray());
    EXPECT_EQ(itemProperty(serviceOf(cpu.item), QStringLiteral("XAyatanaLabel")).toString(),
              QStringLiteral("12%"));
    EXPECT_EQ(itemProperty(serviceOf(ram.item), QStringLiteral("Status")).toString(),
              QStringLiteral("Passive"));
    EXPECT_EQ(cpu.item->button()->subviews(), std::vector<QWidget*>{cpu.label});
}

TEST_F(TrayStatusBarTest, ItemsMoveToATrayThatComesLaterOnlyOnceItHasAHost) {
    TrayStatusBar bar(QDBusConnection::sessionBus());
    addReading(bar, QStringLiteral("37%"), QStringLiteral("cpu"));
    watcher.setHostRegistered(false);
    ASSERT_TRUE(watcher.join());
    waitUntil([] { return false; }, 200);
    EXPECT_FALSE(bar.isInTray());

    watcher.announceHost();
    ASSERT_TRUE(waitUntil([&] { return watcher.registered().size() == 1; }));
    EXPECT_TRUE(bar.isInTray());
}

TEST_F(TrayStatusBarTest, AWatcherThatRefusesAnItemSendsEveryItemBackToTheOwnBar) {
    watcher.setRefusing(true);
    ASSERT_TRUE(watcher.join());
    TrayStatusBar bar(QDBusConnection::sessionBus());
    const Reading cpu = addReading(bar, QStringLiteral("37%"), QStringLiteral("cpu"));
    ASSERT_TRUE(waitUntil([&] { return bar.ownBar().window()->isVisible() && !bar.isInTray(); }));
    EXPECT_FALSE(bar.ownBar().isOffScreen());
    EXPECT_TRUE(cpu.item->frame().has_value());
}

// The controller on this back end: names in the tray, and compact mode as
// one item whose clicks, without a place inside the item, open the last reading.
TEST_F(TrayStatusBarTest, TheControllersItemsInTheTrayAndTheCombinedItemAsOne) {
    ASSERT_TRUE(watcher.join());
    platform::UserDefaults defaults{QStringLiteral("org.velto.tray-compact")};
    SettingsStore settings{defaults};
    PluginLoader loader{defaults};
    TrayStatusBar bar(QDBusConnection::sessionBus());
    PopoverShower shower;
    StatusBarController controller{settings, loader, nullptr, bar, shower};
    controller.present({test::gauge("cpu", 38, "37%"), test::gauge("ram", 50, "61%")});
    ASSERT_TRUE(waitUntil([&] { return watcher.registered().size() == 3; }));
    const QString cpuService = serviceOf(controller.slot(QStringLiteral("cpu"))->item);
    EXPECT_EQ(itemProperty(cpuService, QStringLiteral("Title")).toString(), QStringLiteral("CPU"));

    // A widget switched off in the settings stays registered, as passive.
    const auto status = [&](const QString& service) {
        return itemProperty(service, QStringLiteral("Status")).toString();
    };
    const QString ramService = serviceOf(controller.slot(QStringLiteral("ram"))->item);
    settings.setEnabled(false, QStringLiteral("ram"));
    controller.applyEnabledState();
    ASSERT_TRUE(waitUntil([&] { return status(ramService) == QStringLiteral("Passive"); }));
    EXPECT_TRUE(watcher.registered().contains(ramService));
    settings.setEnabled(true, QStringLiteral("ram"));
    controller.applyEnabledState();
    ASSERT_TRUE(waitUntil([&] { return status(ramService) == QStringLiteral("Active"); }));

    settings.setCompactMenuBar(true);
    controller.applyEnabledState();
    ASSERT_TRUE(waitUntil([&] { return watcher.registered().size() == 4; }));
    const QString combined = serviceOf(controller.combinedItem());
    ASSERT_TRUE(waitUntil([&] {
        return itemProperty(cpuService, QStringLiteral("Status")).toString() ==
                   QStringLiteral("Passive") &&
               itemProperty(combined, QStringLiteral("Status")).toString() ==
                   QStringLiteral("Active");
    }));
    EXPECT_EQ(itemProperty(combined, QStringLiteral("Id")).toString(),
              QStringLiteral("velto.compact"));
    EXPECT_EQ(itemProperty(combined, QStringLiteral("Title")).toString(), QStringLiteral("velto"));
    // Both readings and the gear, in the layout's order.
    const QString label = itemProperty(combined, QStringLiteral("XAyatanaLabel")).toString();
    EXPECT_LT(label.indexOf(QStringLiteral("37%")), label.indexOf(QStringLiteral("61%")));
    const TrayPixmapList pixmaps = iconPixmap(combined);
    ASSERT_FALSE(pixmaps.isEmpty());
    const auto widest = std::max_element(
        pixmaps.begin(), pixmaps.end(),
        [](const TrayPixmap& a, const TrayPixmap& b) { return a.width < b.width; });
    EXPECT_GE(widest->width, int(controller.combinedItem()->length()));

    const platform::Popover& ram = *controller.slot(QStringLiteral("ram"))->popover;
    activate(combined, 300, 10);
    ASSERT_TRUE(waitUntil([&] { return ram.isShown(); }));
    EXPECT_FALSE(controller.slot(QStringLiteral("cpu"))->popover->isShown());
    activate(combined, 300, 10);
    EXPECT_TRUE(waitUntil([&] { return !ram.isShown(); }));
}
