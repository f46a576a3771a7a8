#include <Platform/StatusNotifierTypes.h>
#include <Platform/TrayIconRenderer.h>
#include <QColor>
#include <QLabel>
#include <QWidget>
#include <gtest/gtest.h>

using namespace velto::platform;
using TrayIconRenderer::FigureSquares;

namespace {

const QColor kInk(30, 30, 30);

QStringList figures(const char* text) {
    return {QString::fromLatin1(text)};
}

} // namespace

TEST(FigureSquares, AReadingThatComesBackIsNotDrawnAgain) {
    FigureSquares squares;
    const TrayPixmap zero = squares.square(figures("0"), kInk, 22);
    const TrayPixmap one = squares.square(figures("1"), kInk, 22);
    EXPECT_EQ(squares.drawnCount(), 2);
    EXPECT_NE(zero, one);

    EXPECT_EQ(squares.square(figures("0"), kInk, 22), zero);
    EXPECT_EQ(squares.square(figures("1"), kInk, 22), one);
    EXPECT_EQ(squares.drawnCount(), 2);

    // Each side is a drawing of its own, and so is each colour.
    const TrayPixmap large = squares.square(figures("0"), kInk, 64);
    EXPECT_EQ(large.width, 64);
    EXPECT_EQ(squares.square(figures("0"), Qt::white, 22).width, 22);
    EXPECT_NE(squares.square(figures("0"), Qt::white, 22), zero);
    EXPECT_EQ(squares.drawnCount(), 4);
    // A line more is another reading, not the same one.
    EXPECT_NE(squares.square({QStringLiteral("0"), QStringLiteral("1")}, kInk, 22), zero);
}

TEST(FigureSquares, KeepsTheReadingsShownLast) {
    FigureSquares squares;
    const char* readings[] = {"1", "2", "3", "4"};
    for (const char* reading : readings)
        squares.square(figures(reading), kInk, 16);
    ASSERT_EQ(squares.drawnCount(), 4);
    // "1" is shown again, so "2" is now the one shown longest ago.
    squares.square(figures("1"), kInk, 16);
    squares.square(figures("5"), kInk, 16);
    EXPECT_EQ(squares.drawnCount(), 5);
    squares.square(figures("1"), kInk, 16);
    squares.square(figures("3"), kInk, 16);
    squares.square(figures("4"), kInk, 16);
    EXPECT_EQ(squares.drawnCount(), 5);
    squares.square(figures("2"), kInk, 16);
    EXPECT_EQ(squares.drawnCount(), 6);
}

// The combined item's large square follows its width while its figures may
// stay: only the latest large square is kept beside the icon heights.
TEST(FigureSquares, KeepsOneLargeSquarePerReading) {
    FigureSquares squares;
    squares.square(figures("3"), kInk, 22);
    squares.square(figures("3"), kInk, 64);
    squares.square(figures("3"), kInk, 70);
    ASSERT_EQ(squares.drawnCount(), 3);
    squares.square(figures("3"), kInk, 70);
    squares.square(figures("3"), kInk, 22);
    EXPECT_EQ(squares.drawnCount(), 3);
    EXPECT_EQ(squares.square(figures("3"), kInk, 64).width, 64);
    EXPECT_EQ(squares.drawnCount(), 4);
}

TEST(FigureSquares, AFoundSquareIsTheSameAsOneDrawnAfresh) {
    FigureSquares warm;
    warm.square(figures("42"), kInk, 24);
    warm.square(figures("7"), kInk, 24);
    FigureSquares cold;
    EXPECT_EQ(warm.square(figures("42"), kInk, 24), cold.square(figures("42"), kInk, 24));
}

TEST(ShownText, ReadsTheShownLabelsInRowsThenColumnsAndTheFirstOnesColour) {
    QWidget view;
    view.resize(100, 24);
    auto* right = new QLabel(QStringLiteral("B"), &view);
    right->setGeometry(50, 0, 40, 12);
    auto* left = new QLabel(QStringLiteral("A"), &view);
    left->setGeometry(0, 0, 40, 12);
    auto* below = new QLabel(QStringLiteral("C"), &view);
    below->setGeometry(0, 12, 40, 12);
    auto* hidden = new QLabel(QStringLiteral("hidden"), &view);
    hidden->hide();
    new QLabel(QString(), &view);
    QPalette palette = left->palette();
    palette.setColor(left->foregroundRole(), QColor(200, 10, 10));
    left->setPalette(palette);

    const TrayIconRenderer::ShownText shown = TrayIconRenderer::ShownText::of(view);
    EXPECT_EQ(shown.texts,
              (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
    EXPECT_EQ(shown.color, QColor(200, 10, 10));

    const QWidget empty;
    EXPECT_TRUE(TrayIconRenderer::ShownText::of(empty).texts.isEmpty());
    EXPECT_EQ(TrayIconRenderer::ShownText::of(empty).color,
              empty.palette().color(QPalette::WindowText));
}

namespace {

// A reading as a gauge draws it, a figure beside a bar whose length is not in
// any text, with the caches of the item that offers it.
struct GaugeItem {
    GaugeItem() {
        view.resize(44, 22);
        label = new QLabel(&view);
        label->setGeometry(0, 0, 30, 22);
        bar = new QWidget(&view);
        bar->setAutoFillBackground(true);
        QPalette palette = bar->palette();
        palette.setColor(QPalette::Window, QColor(40, 160, 40));
        bar->setPalette(palette);
    }
    /// The images offered for @p figure beside a bar @p barLength long.
    TrayPixmapList offer(const char* figure, int barLength) {
        label->setText(QString::fromLatin1(figure));
        bar->setGeometry(32, 4, barLength, 14);
        return TrayIconRenderer::pixmaps(view, TrayIconRenderer::ShownText::of(view), squares,
                                         recent);
    }

    QWidget view;
    QLabel* label;
    QWidget* bar;
    FigureSquares squares;
    TrayIconRenderer::RecentPixmaps recent;
};

} // namespace

TEST(RecentPixmaps, AReadingThatComesBackIsHandedOutAsMadeBefore) {
    GaugeItem item;
    const TrayPixmapList zero = item.offer("0", 4);
    EXPECT_NE(item.offer("1", 6), zero);
    const int drawn = item.squares.drawnCount();

    EXPECT_EQ(item.offer("0", 4), zero);
    EXPECT_EQ(item.recent.foundCount(), 1);
    EXPECT_EQ(item.squares.drawnCount(), drawn);

    // What is handed out is what a first drawing makes.
    EXPECT_EQ(GaugeItem().offer("0", 4), zero);
}

TEST(RecentPixmaps, TheSameTextsDrawnOtherwiseAreMadeAgain) {
    GaugeItem item;
    const TrayPixmapList shortBar = item.offer("5", 4);
    const TrayPixmapList longBar = item.offer("5", 10);
    EXPECT_EQ(item.recent.foundCount(), 0);
    EXPECT_NE(longBar, shortBar);
    // The square figures are the same: only the drawn images differ.
    EXPECT_EQ(longBar.front(), shortBar.front());
}

TEST(RecentPixmaps, KeepsTheListsShownLast) {
    GaugeItem item;
    const auto offerAndCount = [&](const char* figure) {
        item.offer(figure, 4);
        return item.recent.foundCount();
    };
    for (const char* figure : {"1", "2", "3", "4"})
        offerAndCount(figure);
    ASSERT_EQ(item.recent.foundCount(), 0);
    EXPECT_EQ(offerAndCount("1"), 1); // "2" is now the one shown longest ago
    EXPECT_EQ(offerAndCount("5"), 1);
    EXPECT_EQ(offerAndCount("2"), 1) << "the oldest went";
    EXPECT_EQ(offerAndCount("1"), 2);
}
