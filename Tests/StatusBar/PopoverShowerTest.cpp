#include "PopoverShower.h"

#include "PassthroughHostingView.h"
#include "PopoverContent.h"

#include <Platform/EventMonitor.h>
#include <Platform/OwnStatusBar.h>
#include <Platform/Popover.h>
#include <Platform/StatusBarButton.h>
#include <Platform/StatusItem.h>
#include <QAbstractButton>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QVBoxLayout>
#include <Support/TestEnvironment.h>
#include <VeltoPluginKit/SystemSymbol.h>
#include <gtest/gtest.h>

using namespace velto;
using namespace velto::platform;

namespace {

// One widget's item as the status bar controller builds it.
struct Reading {
    StatusItem* item = nullptr;
    std::unique_ptr<PassthroughHostingView> hosting;
    std::unique_ptr<Popover> popover;

    StatusBarButton& button() const { return *item->button(); }
};

Reading makeReading(OwnStatusBar& bar, PopoverShower& shower, const QString& text,
                    const QString& detail, std::function<void()> openSettings = {}) {
    Reading reading;
    reading.item = bar.statusItem(StatusItem::kVariableLength);
    auto label = std::make_unique<QLabel>(text);
    label->setAlignment(Qt::AlignCenter);
    reading.hosting = std::make_unique<PassthroughHostingView>(std::move(label));
    const double width = std::ceil(reading.hosting->fittingSize().width());
    reading.item->button()->addSubview(reading.hosting.get());
    reading.hosting->setFrame(QRectF(2, 0, width, bar.thickness()));
    reading.item->setLength(width + 4);

    auto detailView = std::make_unique<QLabel>(detail);
    detailView->setMinimumSize(220, 90);
    detailView->setAlignment(Qt::AlignCenter);
    reading.popover = std::make_unique<Popover>();
    PopoverContent::fill(*reading.popover, std::move(detailView), std::move(openSettings));
    shower.track(*reading.popover);
    reading.item->button()->setAction(shower.toggleAction());
    shower.registerButton(*reading.item->button(), *reading.popover, reading.hosting.get());
    return reading;
}

QRect globalRect(const QWidget& widget) {
    return QRect(widget.mapToGlobal(QPoint(0, 0)), widget.size());
}

// A press at @p global, delivered through @p window as the window system would.
void pressAt(QWidget& window, QPoint global) {
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {},
                      global - window.geometry().topLeft());
    QCoreApplication::processEvents();
}

class PopoverShowerTest : public testing::Test {
protected:
    OwnStatusBar bar;
    PopoverShower shower;
    Reading cpu = makeReading(bar, shower, QStringLiteral("42%"), QStringLiteral("CPU detail"));
    Reading ram = makeReading(bar, shower, QStringLiteral("63%"), QStringLiteral("RAM detail"));
};

} // namespace

TEST_F(PopoverShowerTest, OpensBelowTheReadingAndClosesOnASecondClick) {
    cpu.button().performClick();
    ASSERT_TRUE(cpu.popover->isShown());
    const QRect anchor = globalRect(*cpu.hosting);
    const QRect window = cpu.popover->window()->geometry();
    EXPECT_EQ(window.top(), anchor.bottom() + 1 + static_cast<int>(PopoverPlacement::kGap));
    EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(window));
    // Centred under the reading unless the screen's edge pushed it left.
    EXPECT_LE(std::abs(window.center().x() - anchor.center().x()),
              std::max(1, window.right() -
                              QGuiApplication::primaryScreen()->availableGeometry().right() + 1 +
                              window.width() / 2));
    EXPECT_TRUE(shower.hasClickAwayMonitor());
    EXPECT_EQ(EventMonitor::installedCount(), 1);

    cpu.button().performClick();
    EXPECT_FALSE(cpu.popover->isShown());
    EXPECT_FALSE(shower.hasClickAwayMonitor());
    EXPECT_EQ(EventMonitor::installedCount(), 0);
}

TEST_F(PopoverShowerTest, SwitchingToAnotherItemKeepsOneMonitor) {
    const int installs = EventMonitor::totalInstalled();
    cpu.button().performClick();
    ram.button().performClick();

    EXPECT_FALSE(cpu.popover->isShown());
    EXPECT_TRUE(ram.popover->isShown());
    EXPECT_EQ(EventMonitor::totalInstalled() - installs, 1);
    EXPECT_EQ(EventMonitor::installedCount(), 1);

    ram.button().performClick();
    EXPECT_FALSE(ram.popover->isShown());
    EXPECT_EQ(EventMonitor::installedCount(), 0);
}

TEST_F(PopoverShowerTest, APressOnTheOpenItemClosesItInsteadOfReopeningIt) {
    const QPoint onCpu = globalRect(*cpu.button().view()).center();
    pressAt(*bar.window(), onCpu);
    ASSERT_TRUE(cpu.popover->isShown());

    // The popup holds the pointer now, so the press reaches it; the release,
    // once the popup has let go, goes to the bar underneath.
    QWidget* popup = cpu.popover->window();
    QTest::mousePress(popup->windowHandle(), Qt::LeftButton, {},
                      onCpu - popup->geometry().topLeft());
    QCoreApplication::processEvents();
    QTest::mouseRelease(bar.window()->windowHandle(), Qt::LeftButton, {},
                        onCpu - bar.window()->geometry().topLeft());
    QCoreApplication::processEvents();
    EXPECT_FALSE(cpu.popover->isShown());
    EXPECT_EQ(EventMonitor::installedCount(), 0);

    pressAt(*bar.window(), onCpu);
    EXPECT_TRUE(cpu.popover->isShown());
    cpu.popover->performClose();
}

TEST_F(PopoverShowerTest, AClickOutsideVeltosWindowsCloses) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QPoint elsewhere(screen.left() + 5, screen.bottom() - 5);

    cpu.button().performClick();
    ASSERT_TRUE(cpu.popover->isShown());
    pressAt(*cpu.popover->window(), elsewhere);
    EXPECT_FALSE(cpu.popover->isShown());
    EXPECT_EQ(EventMonitor::installedCount(), 0);

    // A popover that does not close by itself is closed by the monitor alone.
    Popover staying;
    staying.setContent(std::make_unique<QLabel>(QStringLiteral("stays")));
    shower.track(staying);
    shower.toggle(staying, cpu.hosting.get());
    ASSERT_TRUE(staying.isShown());
    // A press on velto's own bar is not "elsewhere", even between two items.
    const QRect cpuButton = globalRect(*cpu.button().view());
    pressAt(*bar.window(), QPoint(cpuButton.left() - 2, cpuButton.center().y()));
    EXPECT_TRUE(staying.isShown());
    pressAt(*bar.window(), elsewhere);
    EXPECT_FALSE(staying.isShown());
    EXPECT_FALSE(shower.hasClickAwayMonitor());
}

TEST_F(PopoverShowerTest, TracksEachPopoverOnceAndIgnoresUnknownButtons) {
    shower.track(*cpu.popover);
    EXPECT_EQ(shower.tracked(), (std::vector<Popover*>{cpu.popover.get(), ram.popover.get()}));

    StatusItem* stranger = bar.statusItem(20);
    shower.toggle(*stranger->button());
    // A reading that is hidden has nothing to point at.
    cpu.hosting->setHidden(true);
    cpu.button().performClick();
    EXPECT_FALSE(cpu.popover->isShown());
    EXPECT_FALSE(ram.popover->isShown());
    EXPECT_FALSE(shower.hasClickAwayMonitor());

    // A compact-mode switch closes whatever is open.
    ram.button().performClick();
    shower.closeAll();
    EXPECT_FALSE(ram.popover->isShown());
    EXPECT_FALSE(shower.hasClickAwayMonitor());
}

TEST_F(PopoverShowerTest, SettingsRowOpensTheSettings) {
    int opened = 0;
    Reading gpu = makeReading(bar, shower, QStringLiteral("7%"), QStringLiteral("GPU detail"),
                              [&opened] { ++opened; });
    QWidget* content = gpu.popover->content();
    ASSERT_NE(content, nullptr);
    QAbstractButton* settings = PopoverContent::settingsButton(content);
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->text(), QString::fromUtf8("Settings\u2026"));

    // Detail on top, then the divider, then the row; nothing between them.
    auto* stack = qobject_cast<QVBoxLayout*>(content->layout());
    ASSERT_NE(stack, nullptr);
    ASSERT_EQ(stack->count(), 3);
    EXPECT_EQ(stack->spacing(), 0);
    EXPECT_NE(qobject_cast<QLabel*>(stack->itemAt(0)->widget()), nullptr);
    EXPECT_NE(qobject_cast<QFrame*>(stack->itemAt(1)->widget()), nullptr);
    EXPECT_TRUE(stack->itemAt(2)->widget()->isAncestorOf(settings));

    gpu.button().performClick();
    QTest::mouseClick(settings, Qt::LeftButton);
    EXPECT_EQ(opened, 1);
    gpu.popover->performClose();
}

TEST_F(PopoverShowerTest, RendersThePopoverBelowItsReading) {
    StatusItem* gear = bar.statusItem(StatusItem::kSquareLength);
    gear->button()->setImage(SystemSymbol::pixmap(
        QStringLiteral("gearshape"), 16, bar.window()->palette().color(QPalette::WindowText)));
    cpu.button().performClick();
    ASSERT_TRUE(cpu.popover->isShown());
    QCoreApplication::processEvents();

    // The screen's top right corner, holding the strip and the popover.
    QWidget* popup = cpu.popover->window();
    const QRect area = bar.window()->geometry().united(popup->geometry()).adjusted(-40, 0, 0, 20);
    QImage picture(area.size(), QImage::Format_ARGB32);
    picture.fill(QColor(70, 90, 120));
    QPainter painter(&picture);
    painter.drawPixmap(bar.window()->geometry().topLeft() - area.topLeft(), bar.window()->grab());
    painter.drawPixmap(popup->geometry().topLeft() - area.topLeft(), popup->grab());
    painter.end();
    EXPECT_TRUE(picture.save(test::renderPath(QStringLiteral("popover-below-reading.png"))));
    cpu.popover->performClose();
}

// A detail view follows its readings while it exists: one the user never
// opens is never made, and one opened once is kept, above the "Settings…" row.
TEST_F(PopoverShowerTest, MakesTheDetailViewWhenThePopoverFirstOpensAndKeepsIt) {
    StatusItem* item = bar.statusItem(StatusItem::kVariableLength);
    PassthroughHostingView hosting(std::make_unique<QLabel>(QStringLiteral("7%")));
    item->button()->addSubview(&hosting);
    hosting.setFrame(QRectF(2, 0, 30, bar.thickness()));
    item->setLength(34);
    Popover popover;
    int made = 0;
    QPointer<QLabel> detail;
    PopoverContent::fill(popover,
                         PopoverContent::DetailViewMaker([&]() -> std::unique_ptr<QWidget> {
                             ++made;
                             auto view = std::make_unique<QLabel>(QStringLiteral("GPU detail"));
                             view->setMinimumSize(200, 80);
                             detail = view.get();
                             return view;
                         }),
                         {});
    shower.track(popover);
    item->button()->setAction(shower.toggleAction());
    shower.registerButton(*item->button(), popover, &hosting);
    QCoreApplication::processEvents();
    EXPECT_EQ(made, 0);
    const int heightWithoutDetail = popover.content()->sizeHint().height();

    item->button()->performClick();
    ASSERT_TRUE(popover.isShown());
    ASSERT_EQ(made, 1);
    ASSERT_TRUE(detail);
    EXPECT_EQ(detail->parentWidget(), popover.content());
    EXPECT_EQ(popover.content()->layout()->indexOf(detail.data()), 0);
    EXPECT_GE(popover.window()->height(), heightWithoutDetail + 80);
    ASSERT_NE(PopoverContent::settingsButton(popover.content()), nullptr);
    EXPECT_GT(
        PopoverContent::settingsButton(popover.content())->mapTo(popover.content(), QPoint()).y(),
        detail->geometry().bottom());

    item->button()->performClick();
    EXPECT_FALSE(popover.isShown());
    item->button()->performClick();
    EXPECT_TRUE(popover.isShown());
    EXPECT_EQ(made, 1);
    EXPECT_TRUE(detail);
    item->button()->performClick();
}
