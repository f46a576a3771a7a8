#include "PassthroughHostingView.h"

#include <Platform/HostingView.h>
#include <Platform/OwnStatusBar.h>
#include <Platform/StatusBarButton.h>
#include <Platform/StatusItem.h>
#include <QCoreApplication>
#include <QLabel>
#include <QPointer>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace velto;
using namespace velto::platform;

namespace {

// Text measured in fractions of a point, as a real reading is.
class MeasuredReading : public QWidget, public FittingSizeProvider {
public:
    QSizeF size{37.2, 16.0};
    QSizeF fittingSize() const override { return size; }
};

} // namespace

TEST(PassthroughHostingView, ReportsALayoutPassWhenItsReadingChanges) {
    QWidget button;
    auto label = std::make_unique<QLabel>(QStringLiteral("4%"));
    QLabel* text = label.get();
    PassthroughHostingView hosting(std::move(label), &button);
    button.show();
    QCoreApplication::processEvents();
    int reports = 0;
    hosting.setOnLayout([&reports] { ++reports; });
    const double before = hosting.fittingSize().width();

    text->setText(QStringLiteral("100%"));
    QCoreApplication::processEvents();
    EXPECT_GE(reports, 1);
    EXPECT_GT(hosting.fittingSize().width(), before);
}

TEST(PassthroughHostingView, APassThatOnLayoutCausesIsNotReportedAgain) {
    QWidget button;
    PassthroughHostingView hosting(std::make_unique<QLabel>(QStringLiteral("42%")), &button);
    hosting.setFrame(QRectF(2, 0, 30, 24));
    button.show();
    QCoreApplication::processEvents();

    int reports = 0;
    bool reportingInside = false;
    hosting.setOnLayout([&] {
        ++reports;
        reportingInside = hosting.isReporting();
        // Widening the view runs a layout pass inside this callback.
        hosting.setFrame(QRectF(2, 0, hosting.frame().width() + 10, 24));
    });
    const int passes = hosting.layoutPassCount();
    hosting.setFrame(QRectF(2, 0, 38, 24));

    EXPECT_EQ(hosting.layoutPassCount(), passes + 2);
    EXPECT_EQ(reports, 1);
    EXPECT_TRUE(reportingInside);
    EXPECT_FALSE(hosting.isReporting());
    EXPECT_EQ(hosting.frame(), QRectF(2, 0, 48, 24));
}

TEST(HostingView, MeasuresFinelyAndKeepsTheFrameAsAssigned) {
    HostingView hosting(std::make_unique<MeasuredReading>());
    EXPECT_DOUBLE_EQ(hosting.fittingSize().width(), 37.2);

    hosting.setFrame(QRectF(2, 0, 37.2, 24));
    EXPECT_EQ(hosting.frame(), QRectF(2, 0, 37.2, 24));
    EXPECT_EQ(hosting.geometry(), QRect(2, 0, 37, 24));
    // Moved by someone else, the view reports where it really is.
    hosting.setGeometry(10, 0, 20, 24);
    EXPECT_EQ(hosting.frame(), QRectF(10, 0, 20, 24));

    // Measurements no one should give come back as zero.
    auto* reading = static_cast<MeasuredReading*>(hosting.rootView());
    reading->size = QSizeF(-3, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(hosting.fittingSize(), QSizeF(0, 0));
}

TEST(HostingView, PassesClicksThroughOnlyWhenAskedTo) {
    QWidget holder;
    HostingView plain(std::make_unique<QLabel>(QStringLiteral("a")), &holder);
    PassthroughHostingView passthrough(std::make_unique<QLabel>(QStringLiteral("b")), &holder);
    plain.setFrame(QRectF(0, 0, 20, 20));
    passthrough.setFrame(QRectF(30, 0, 20, 20));

    EXPECT_EQ(plain.hitTest(QPointF(5, 5)), plain.rootView());
    EXPECT_EQ(passthrough.hitTest(QPointF(5, 5)), nullptr);
    EXPECT_EQ(holder.childAt(5, 5), plain.rootView());
    EXPECT_EQ(holder.childAt(35, 5), nullptr);
}

TEST(HostingView, StaysHiddenAcrossSuperviewsAndOutlivesItsButton) {
    auto bar = std::make_unique<OwnStatusBar>();
    StatusBarButton* first = bar->statusItem(40)->button();
    StatusBarButton* second = bar->statusItem(40)->button();
    PassthroughHostingView hosting(std::make_unique<QLabel>(QStringLiteral("42%")));

    first->addSubview(&hosting);
    EXPECT_TRUE(hosting.isVisible());
    hosting.setHidden(true);
    hosting.removeFromSuperview();
    EXPECT_EQ(hosting.parentWidget(), nullptr);
    second->addSubview(&hosting);
    EXPECT_EQ(hosting.parentWidget(), second->view());
    EXPECT_TRUE(hosting.isHidden());
    EXPECT_TRUE(first->subviews().empty());
    EXPECT_EQ(second->subviews(), std::vector<QWidget*>{&hosting});

    hosting.setHidden(false);
    first->addSubview(&hosting);
    EXPECT_TRUE(hosting.isVisible());

    // The bar and its buttons go first; the view is handed back, not deleted.
    QPointer<QWidget> root = hosting.rootView();
    bar.reset();
    EXPECT_EQ(hosting.parentWidget(), nullptr);
    EXPECT_FALSE(root.isNull());
}
