#pragma once

#include "Platform/StatusNotifierTypes.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QStringList>
#include <array>
#include <cstddef>
#include <map>

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
/// The side of the largest square image.
inline constexpr int kLargeSquare = 64;

/**
 * The bold figure fonts of the sizes drawn so far. Qt lets go of the font
 * engine of a size no font refers to, and finding it again asks fontconfig,
 * which costs more than the drawing: whoever draws again and again keeps one
 * of these, and it must not outlive the application.
 */
class FigureFonts {
public:
    QFont at(int pixelSize);

private:
    static constexpr std::size_t kMaxKept = 64;
    std::map<int, QFont> m_fonts;
};

/// The texts of the labels shown inside @p view, top to bottom, then left to right.
QStringList texts(const QWidget& view);
/// The colour the first shown label draws its text in; the view's own text colour without one.
QColor textColor(const QWidget& view);

/// @p view as drawn, with a transparent background, scaled to @p height pixels.
QImage drawn(QWidget& view, int height);
/// The pixel size figures are first measured at.
inline constexpr int kReferenceSize = 100;

/// How wide and tall a set of figures is at kReferenceSize: measured once for every square.
struct FigureSpan {
    int lines = 0;
    double widestAtReference = 0;
    double capHeightAtReference = 0;

    static FigureSpan measure(const QStringList& figures, FigureFonts& fonts);
};

/// @p figures stacked in bold digits as large as fit a square of @p size pixels.
QImage figures(const QStringList& figures, const FigureSpan& span, int size, const QColor& color,
               FigureFonts& fonts);
/// @p image scaled to fit a square of @p size pixels, centred.
QImage squared(const QImage& image, int size);

/**
 * Every image the item offers: the square ones at each height first, then the
 * button as drawn at each height, then, where there are figures, one large
 * square (kLargeSquare). Hosts that take the image nearest their size find a
 * square there; hosts that take the largest (Xfce's status tray) find the
 * large square rather than a wide reading they would shrink to a few pixels.
 */
TrayPixmapList pixmaps(QWidget& view, FigureFonts& fonts);

} // namespace TrayIconRenderer
} // namespace velto::platform
