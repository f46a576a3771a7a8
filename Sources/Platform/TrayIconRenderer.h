#pragma once

#include "Platform/FigureGlyphMasks.h"
#include "Platform/StatusNotifierTypes.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QStringList>
#include <array>
#include <cstddef>
#include <map>
#include <memory>
#include <utility>
#include <vector>

class QWidget;

namespace velto::platform {

/**
 * Draws a status item's button for a tray host. Hosts pick the image nearest
 * the size they draw at; most draw it square, where a whole reading would
 * shrink to a few pixels, so every item offers its button as drawn at each
 * common height and, beside those, square images that show only the figures
 * in large digits.
 */
namespace TrayIconRenderer {

/// The icon heights hosts ask for.
inline constexpr std::array<int, 4> kHeights{16, 22, 24, 32};
/// The side of the largest square image, at least.
inline constexpr int kLargeSquare = 64;
/// The pixel size figures are laid out at, once, before they are scaled to each square.
inline constexpr int kReferenceSize = 100;

/**
 * The outlines of the characters figures are made of, in the regular face at
 * kReferenceSize, each taken from the font once: reading an outline from the
 * font costs more than filling it. Qt lets go of the font engine of a size no
 * font refers to, and finding it again asks fontconfig: whoever draws again
 * and again keeps one of these, and it must not outlive the application. One
 * size serves every square, since figures are scaled outlines, not glyphs
 * rasterised at each size.
 */
class FigureGlyphs {
public:
    struct Glyph {
        QPainterPath outline;
        double advance = 0;
    };

    FigureGlyphs();
    /// The outline and advance of @p character (shared, cheap to copy).
    Glyph glyph(QChar character);
    double capHeight() const { return m_capHeight; }

private:
    static constexpr std::size_t kMaxKept = 128;
    QFont m_font;
    double m_capHeight = 0;
    std::map<char16_t, Glyph> m_glyphs;
};

/// What the labels shown inside a view say, gathered in one pass.
struct ShownText {
    /// Their texts, top to bottom, then left to right.
    QStringList texts;
    /// The colour the first of them draws its text in; the view's own text colour without one.
    QColor color;

    static ShownText of(const QWidget& view);
};

/// @p view as drawn, with a transparent background, scaled to @p height pixels.
QImage drawn(QWidget& view, int height);
/// Figures as outlines at kReferenceSize, laid out once for every square.
struct FigureOutlines {
    struct Character {
        char16_t code = 0;
        /// Its origin at 0, 0 (shared, cheap to copy).
        QPainterPath outline;
        /// Where its origin is along its figure's baseline.
        double x = 0;
    };
    /// One line per figure, its characters in order.
    std::vector<std::vector<Character>> lines;
    std::vector<double> advances;
    double widest = 0;
    double capHeight = 0;

    static FigureOutlines of(const QStringList& figures, FigureGlyphs& glyphs);
};

/**
 * The figures stacked in bold digits as large as fit a square of @p size
 * pixels, each character's ink taken from @p masks, where it is drawn once per
 * scale and place within a pixel.
 */
QImage figures(const FigureOutlines& outlines, int size, const QColor& color,
               FigureGlyphMasks& masks);
/// @p image scaled to fit a square of @p size pixels, centred.
QImage squared(const QImage& image, int size);

/**
 * The side of the large square: kLargeSquare, or more where @p largestDrawn
 * (the button drawn at the greatest height) covers as many pixels, as the
 * combined item of several readings does. Hosts that take the largest image
 * compare areas, and must still find the square.
 */
int largeSquareSide(const QImage& largestDrawn);

/**
 * The squares of figures an item showed last, kept by figures, colour and
 * side. Drawing figures is most of what an update costs, and a reading often
 * goes back and forth between a few values (an idle CPU between 0% and 1%):
 * each of those is drawn once while it stays among the last kKeptFigures.
 */
class FigureSquares {
public:
    static constexpr std::size_t kKeptFigures = 4;

    /// The characters' masks come from @p masks, which the items of one bar share: their
    /// readings are mostly the same digits in the same places.
    explicit FigureSquares(
        std::shared_ptr<FigureGlyphMasks> masks = std::make_shared<FigureGlyphMasks>());

    /// The square of the figures @p texts in @p color at @p side, drawn or as drawn before.
    TrayPixmap square(const QStringList& texts, const QColor& color, int side);
    /// How many squares were drawn, not found; for tests and measurements.
    int drawnCount() const { return m_drawnCount; }
    const FigureGlyphMasks& masks() const { return *m_masks; }

private:
    struct Kept {
        QStringList texts;
        QRgb color = 0;
        FigureOutlines outlines;
        std::vector<std::pair<int, TrayPixmap>> sides;
    };
    FigureGlyphs m_glyphs;
    std::shared_ptr<FigureGlyphMasks> m_masks;
    /// The most recently shown last.
    std::vector<Kept> m_kept;
    int m_drawnCount = 0;
};

/**
 * The whole lists of images an item offered last, kept by what its button drew
 * at the greatest height and by the texts and colour it showed. Drawing the
 * button at every height costs more than the rest of an update, and readings
 * go back and forth between a few values: one drawing at the greatest height
 * tells whether the list is one of those, since whatever differs at a smaller
 * height differs there too.
 */
class RecentPixmaps {
public:
    static constexpr std::size_t kKept = 4;

    /// The list kept for @p largest (the button drawn at the greatest height) and @p shown; null
    /// when none is.
    const TrayPixmapList* find(const TrayPixmap& largest, const ShownText& shown);
    /// Keeps @p list, made for @p largest and @p shown, as the most recent.
    void keep(const TrayPixmap& largest, const ShownText& shown, const TrayPixmapList& list);
    /// How many lists were found, not made; for tests and measurements.
    int foundCount() const { return m_foundCount; }

private:
    struct Kept {
        TrayPixmap largest;
        QStringList texts;
        QRgb color = 0;
        TrayPixmapList list;
    };
    /// The most recently shown last.
    std::vector<Kept> m_kept;
    int m_foundCount = 0;
};

/**
 * Every image the item offers: the square ones at each height first, then the
 * button as drawn at each height, then, where there are figures, one large
 * square (largeSquareSide). Hosts that take the image nearest their size find a
 * square there; hosts that take the largest (Xfce's status tray) find the
 * large square rather than a wide reading they would shrink to a few pixels.
 * @p shown is what the view's labels say (ShownText::of); a list that @p recent
 * keeps is handed out as it was.
 */
TrayPixmapList pixmaps(QWidget& view, const ShownText& shown, FigureSquares& squares,
                       RecentPixmaps& recent);

} // namespace TrayIconRenderer
} // namespace velto::platform
