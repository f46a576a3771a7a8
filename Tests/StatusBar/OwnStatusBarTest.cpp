#include "PassthroughHostingView.h"

#include <Platform/OwnStatusBar.h>
#include <Platform/OwnStatusBarButton.h>
#include <Platform/OwnStatusItem.h>
#include <Platform/StatusBarButton.h>
#include <Platform/StatusItem.h>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <Support/TestEnvironment.h>
#include <VeltoPluginKit/SystemSymbol.h>
#include <gtest/gtest.h>

using namespace velto;
using namespace velto::platform;

namespace {

// A reading that counts the mouse presses that reach it.
class PressCountingLabel : public QLabel {
public:
    using QLabel::QLabel;
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        ++presses;
        QLabel::mousePressEvent(event);
    }
};

QRect available() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

// The top of the free area in the menu bar rules' coordinates (y up).
double topInRules(double thickness) {
    const QRect primary = QGuiApplication::primaryScreen()->geometry();
    return primary.y() + primary.height() - available().y() - thickness;
}

void click(OwnStatusBar& bar, QPoint barPoint) {
    QTest::mouseClick(bar.window()->windowHandle(), Qt::LeftButton, {}, barPoint);
    QCoreApplication::processEvents();
}

} // namespace

TEST(OwnStatusBar, LaysItemsOutRightToLeftAtTheTopRightOfThePrimaryScreen) {
    OwnStatusBar bar;
    StatusItem* reading = bar.statusItem(42);
    StatusItem* gear = bar.statusItem(StatusItem::kSquareLength);
    const double right = available().x() + available().width();

    EXPECT_TRUE(bar.window()->isVisible());
    EXPECT_EQ(bar.qtGeometry(), QRectF(right - 70, available().y(), 70, 24));
    EXPECT_EQ(reading->frame(), QRectF(right - 42, topInRules(24), 42, 24));
    EXPECT_EQ(gear->frame(), QRectF(right - 42 - 4 - 24, topInRules(24), 24, 24));
    ASSERT_TRUE(gear->button()->itemWindow().has_value());
    EXPECT_EQ(gear->button()->itemWindow()->frame, gear->frame());
    ASSERT_TRUE(gear->button()->itemWindow()->screen.has_value());
    EXPECT_EQ(gear->button()->itemWindow()->screen->qtScreen(), QGuiApplication::primaryScreen());
}

TEST(OwnStatusBar, AHiddenItemGivesUpItsPlaceAndAnEmptyBarHides) {
    OwnStatusBar bar;
    StatusItem* reading = bar.statusItem(42);
    StatusItem* gear = bar.statusItem(StatusItem::kSquareLength);
    const double right = available().x() + available().width();

    reading->setVisible(false);
    EXPECT_FALSE(reading->frame().has_value());
    EXPECT_FALSE(reading->button()->itemWindow().has_value());
    EXPECT_EQ(gear->frame(), QRectF(right - 24, topInRules(24), 24, 24));

    gear->setVisible(false);
    EXPECT_FALSE(bar.window()->isVisible());
    EXPECT_TRUE(bar.qtGeometry().isEmpty());

    reading->setVisible(true);
    EXPECT_TRUE(bar.window()->isVisible());
    EXPECT_EQ(reading->frame(), QRectF(right - 42, topInRules(24), 42, 24));
}

TEST(OwnStatusBar, AssigningTheCurrentLengthOrVisibilityMovesNothing) {
    OwnStatusBar bar;
    auto* item = static_cast<OwnStatusItem*>(bar.statusItem(42));
    const int passes = bar.relayoutCount();

    item->setLength(42);
    item->setVisible(true);
    EXPECT_EQ(bar.relayoutCount(), passes);
    EXPECT_EQ(item->lengthAssignments(), 1);

    item->setLength(50.5);
    EXPECT_EQ(bar.relayoutCount(), passes + 1);
    EXPECT_EQ(item->length(), 50.5);
    EXPECT_EQ(item->frame()->width(), 50.5);
}

TEST(OwnStatusBar, AVariableItemFollowsItsTitleAndItsSubviews) {
    OwnStatusBar bar;
    StatusItem* item = bar.statusItem(StatusItem::kVariableLength);
    item->button()->setTitle(QStringLiteral("velto"));
    const double titled = item->frame()->width();
    EXPECT_GT(titled, 8.0 + 10.0);

    PassthroughHostingView hosting(std::make_unique<QLabel>(QStringLiteral("42%")));
    item->button()->addSubview(&hosting);
    hosting.setFrame(QRectF(2, 0, 60, 24));
    EXPECT_EQ(item->frame()->width(), 62);
    // A subview moved by its owner resizes the item with it.
    hosting.setFrame(QRectF(2, 0, 80, 24));
    EXPECT_EQ(item->frame()->width(), 82);
}

TEST(OwnStatusBar, AClickOnAHostedReadingReachesTheButtonNotTheReading) {
    OwnStatusBar bar;
    StatusItem* reading = bar.statusItem(42);
    StatusItem* gear = bar.statusItem(StatusItem::kSquareLength);
    auto label = std::make_unique<PressCountingLabel>(QStringLiteral("42%"));
    PressCountingLabel* text = label.get();
    PassthroughHostingView hosting(std::move(label));
    reading->button()->addSubview(&hosting);
    hosting.setFrame(QRectF(2, 0, 38, 24));

    std::vector<StatusBarButton*> clicked;
    const auto record = [&clicked](StatusBarButton& sender) { clicked.push_back(&sender); };
    reading->button()->setAction(record);
    gear->button()->setAction(record);

    // The strip is 70 wide: the gear at [0, 24), a gap, the reading at [28, 70).
    click(bar, QPoint(50, 12));
    click(bar, QPoint(10, 12));
    click(bar, QPoint(26, 12));
    EXPECT_EQ(clicked, (std::vector<StatusBarButton*>{reading->button(), gear->button()}));
    EXPECT_EQ(text->presses, 0);

    const QPointF origin = bar.qtGeometry().topLeft();
    EXPECT_EQ(bar.itemAt(origin + QPointF(50, 12)), reading);
    EXPECT_EQ(bar.itemAt(origin + QPointF(10, 12)), gear);
    EXPECT_EQ(bar.itemAt(origin + QPointF(26, 12)), nullptr);

    // Hidden, the reading neither takes clicks nor is found.
    reading->setVisible(false);
    clicked.clear();
    click(bar, QPoint(10, 12));
    EXPECT_EQ(clicked, (std::vector<StatusBarButton*>{gear->button()}));
}

TEST(OwnStatusBar, RendersAReadingAndTheGear) {
    OwnStatusBar bar;
    StatusItem* reading = bar.statusItem(StatusItem::kVariableLength);
    StatusItem* gear = bar.statusItem(StatusItem::kSquareLength);
    auto label = std::make_unique<QLabel>(QStringLiteral("42%"));
    label->setAlignment(Qt::AlignCenter);
    PassthroughHostingView hosting(std::move(label));
    reading->button()->addSubview(&hosting);
    const double width = std::ceil(hosting.fittingSize().width());
    hosting.setFrame(QRectF(2, 0, width, bar.thickness()));
    reading->setLength(width + 4);
    gear->button()->setImage(SystemSymbol::pixmap(
        QStringLiteral("gearshape"), 16, bar.window()->palette().color(QPalette::WindowText)));
    QCoreApplication::processEvents();

    const QPixmap picture = bar.window()->grab();
    EXPECT_EQ(picture.size(), QSize(static_cast<int>(width) + 4 + 4 + 24, 24));
    EXPECT_TRUE(picture.save(test::renderPath(QStringLiteral("own-bar.png"))));
}
