#include "Platform/TrayIconRenderer.h"

#include "Platform/TrayLabel.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLabel>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace velto::platform::TrayIconRenderer {

namespace {

std::vector<const QLabel*> shownLabels(const QWidget& view) {
    std::vector<const QLabel*> labels;
    for (const QLabel* label : view.findChildren<QLabel*>()) {
        if (label->isVisibleTo(&view) && !label->text().isEmpty())
            labels.push_back(label);
    }
    const auto place = [&view](const QLabel* label) {
        return label->mapTo(&view, QPoint(0, label->height() / 2));
    };
    // Rows first (by their middles, so labels of one row sort by x), then columns.
    std::stable_sort(labels.begin(), labels.end(), [&](const QLabel* a, const QLabel* b) {
        const QPoint pa = place(a), pb = place(b);
        if (std::abs(pa.y() - pb.y()) > 2)
            return pa.y() < pb.y();
        return pa.x() < pb.x();
    });
    return labels;
}

// Lays @p mask, its origin at @p originX, @p originY, over the coverages of a
// square of @p size: each cell keeps the greater of the two.
void layOver(const FigureGlyphMask& mask, int originX, int originY, int size,
             std::vector<std::uint8_t>& bold, std::vector<std::uint8_t>& halo) {
    const int left = originX + mask.left;
    const int top = originY + mask.top;
    const int fromX = std::max(0, -left);
    const int toX = std::min(mask.width, size - left);
    for (int row = std::max(0, -top); row < std::min(mask.height, size - top); ++row) {
        const std::size_t from = std::size_t(row) * mask.width;
        const std::size_t into = std::size_t(top + row) * size + left;
        for (int column = fromX; column < toX; ++column) {
            bold[into + column] = std::max(bold[into + column], mask.bold[from + column]);
            halo[into + column] = std::max(halo[into + column], mask.halo[from + column]);
        }
    }
}

} // namespace

ShownText ShownText::of(const QWidget& view) {
    ShownText shown;
    const std::vector<const QLabel*> labels = shownLabels(view);
    for (const QLabel* label : labels)
        shown.texts.append(label->text());
    shown.color = labels.empty()
                      ? view.palette().color(QPalette::WindowText)
                      : labels.front()->palette().color(labels.front()->foregroundRole());
    return shown;
}

QImage drawn(QWidget& view, int height) {
    const double scale = view.height() > 0 ? double(height) / view.height() : 1.0;
    const int width = std::max(1, static_cast<int>(std::ceil(view.width() * scale)));
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(scale, scale);
    view.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

FigureGlyphs::FigureGlyphs() {
    m_font.setPixelSize(kReferenceSize);
    // Loads the engine, which the font then holds.
    m_capHeight = QFontMetricsF(m_font).capHeight();
}

FigureGlyphs::Glyph FigureGlyphs::glyph(QChar character) {
    const auto found = m_glyphs.find(character.unicode());
    if (found != m_glyphs.end())
        return found->second;
    Glyph glyph;
    glyph.outline.addText(QPointF(0, 0), m_font, QString(character));
    glyph.advance = QFontMetricsF(m_font).horizontalAdvance(character);
    // Figures are made of a few dozen characters at most; past those, a
    // character is drawn but not kept, and the digits kept stay.
    if (m_glyphs.size() < kMaxKept)
        m_glyphs.emplace(character.unicode(), glyph);
    return glyph;
}

FigureOutlines FigureOutlines::of(const QStringList& figures, FigureGlyphs& glyphs) {
    FigureOutlines outlines;
    if (figures.isEmpty())
        return outlines;
    outlines.capHeight = glyphs.capHeight();
    for (const QString& figure : figures) {
        std::vector<Character> line;
        double advance = 0;
        for (const QChar character : figure) {
            const FigureGlyphs::Glyph glyph = glyphs.glyph(character);
            line.push_back({character.unicode(), glyph.outline, advance});
            advance += glyph.advance;
        }
        outlines.lines.push_back(std::move(line));
        outlines.advances.push_back(advance);
        outlines.widest = std::max(outlines.widest, advance);
    }
    return outlines;
}

QImage figures(const FigureOutlines& outlines, int size, const QColor& color,
               FigureGlyphMasks& masks) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const auto lines = static_cast<int>(outlines.lines.size());
    if (lines == 0 || size <= 0 || outlines.widest <= 0 || outlines.capHeight <= 0)
        return image;
    const double lineHeight = double(size) / lines;
    // The regular face, widened a little to the right, reads as bold (a bold
    // face would cost its own file and engine). Around the digits goes a halo
    // of the opposite lightness: the host's background is not known, and the
    // halo keeps dark digits legible on a dark panel and light ones on a
    // light panel.
    const double emboldenAtReference = kReferenceSize * 0.06;
    const int halo = size >= 48 ? 2 : 1;
    // Outlines grow exactly with the scale: the widest figure, bold and halo
    // included, fits across, each line's digits fill most of its height, and
    // a lone short figure ("7") stops at the size a line of text that tall
    // would have.
    const double scale =
        std::min({(size - 2.0 * halo) / (outlines.widest + emboldenAtReference),
                  lineHeight * 0.86 / outlines.capHeight, lineHeight * 1.1 / kReferenceSize});
    const double embolden = emboldenAtReference * scale;
    // The bold coverage and the halo's of every character, laid over each
    // other where they meet (the greater of the two), clipped to the square.
    // Each character sits at its place rounded to a quarter pixel, which is
    // what its mask is kept by.
    const std::size_t cells = std::size_t(size) * std::size_t(size);
    std::vector<std::uint8_t> bold(cells, 0), spread(cells, 0);
    for (int line = 0; line < lines; ++line) {
        // Each figure centred across, its digits centred down its line.
        const double x = (size - (outlines.advances[line] * scale + embolden)) / 2;
        const double baseline = line * lineHeight + (lineHeight + outlines.capHeight * scale) / 2;
        const auto quarters = static_cast<long>(std::lround(baseline * 4));
        const auto originY = static_cast<int>(std::floor(quarters / 4.0));
        for (const FigureOutlines::Character& character : outlines.lines[line]) {
            const auto across = static_cast<long>(std::lround((x + character.x * scale) * 4));
            const auto originX = static_cast<int>(std::floor(across / 4.0));
            const FigureGlyphMasks::Key key{character.code, scale, halo,
                                            static_cast<int>(across - 4L * originX),
                                            static_cast<int>(quarters - 4L * originY)};
            layOver(masks.mask(key, character.outline, embolden), originX, originY, size, bold,
                    spread);
        }
    }
    // The digits over the halo, premultiplied. The halo is white or black, so
    // its colour channels equal its alpha or are 0, and the digits at each
    // coverage come from a table.
    const bool whiteHalo = color.lightness() < 128;
    constexpr int kHaloOpacity = 150;
    const QRgb ink = color.rgba();
    std::array<QRgb, 256> inked{};
    for (int c = 0; c < 256; ++c) {
        const int coverage = c * qAlpha(ink) / 255;
        inked[c] = qRgba(qRed(ink) * coverage / 255, qGreen(ink) * coverage / 255,
                         qBlue(ink) * coverage / 255, coverage);
    }
    for (int y = 0; y < size; ++y) {
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        const std::size_t rowStart = std::size_t(y) * size;
        for (int x = 0; x < size; ++x) {
            const std::size_t i = rowStart + x;
            if (spread[i] == 0)
                continue;
            const QRgb digit = inked[bold[i]];
            const unsigned haloAlpha = spread[i] * kHaloOpacity / 255 * (255 - qAlpha(digit)) / 255;
            out[x] = digit + (haloAlpha << 24) + (whiteHalo ? haloAlpha * 0x010101u : 0u);
        }
    }
    return image;
}

QImage squared(const QImage& image, int size) {
    QImage square(size, size, QImage::Format_ARGB32_Premultiplied);
    square.fill(Qt::transparent);
    if (image.isNull() || size <= 0)
        return square;
    const QImage scaled = image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPainter painter(&square);
    painter.drawImage((size - scaled.width()) / 2, (size - scaled.height()) / 2, scaled);
    return square;
}

int largeSquareSide(const QImage& largestDrawn) {
    const qint64 area = qint64(largestDrawn.width()) * largestDrawn.height();
    int side = kLargeSquare;
    while (qint64(side) * side <= area)
        ++side;
    return side;
}

FigureSquares::FigureSquares(std::shared_ptr<FigureGlyphMasks> masks) : m_masks(std::move(masks)) {}

TrayPixmap FigureSquares::square(const QStringList& texts, const QColor& color, int side) {
    const QRgb rgba = color.rgba();
    auto kept = std::find_if(m_kept.begin(), m_kept.end(), [&](const Kept& entry) {
        return entry.color == rgba && entry.texts == texts;
    });
    if (kept == m_kept.end()) {
        if (m_kept.size() == kKeptFigures)
            m_kept.erase(m_kept.begin());
        m_kept.push_back({texts, rgba, FigureOutlines::of(texts, m_glyphs), {}});
        kept = m_kept.end() - 1;
    } else if (kept != m_kept.end() - 1) {
        std::rotate(kept, kept + 1, m_kept.end());
        kept = m_kept.end() - 1;
    }
    for (const auto& [keptSide, pixmap] : kept->sides) {
        if (keptSide == side)
            return pixmap;
    }
    ++m_drawnCount;
    const TrayPixmap pixmap = TrayPixmap::fromImage(figures(kept->outlines, side, color, *m_masks));
    // The large square's side follows the button's width, which may change
    // while the figures stay (the combined item's other readings): one large
    // square is kept beside those at the icon heights, the latest.
    const auto isLarge = [](int keptSide) {
        return std::find(kHeights.begin(), kHeights.end(), keptSide) == kHeights.end();
    };
    if (isLarge(side))
        std::erase_if(kept->sides, [&](const auto& entry) { return isLarge(entry.first); });
    kept->sides.emplace_back(side, pixmap);
    return pixmap;
}

const TrayPixmapList* RecentPixmaps::find(const TrayPixmap& largest, const ShownText& shown) {
    const QRgb rgba = shown.color.rgba();
    const auto kept = std::find_if(m_kept.begin(), m_kept.end(), [&](const Kept& entry) {
        return entry.color == rgba && entry.texts == shown.texts && entry.largest == largest;
    });
    if (kept == m_kept.end())
        return nullptr;
    ++m_foundCount;
    std::rotate(kept, kept + 1, m_kept.end());
    return &m_kept.back().list;
}

void RecentPixmaps::keep(const TrayPixmap& largest, const ShownText& shown,
                         const TrayPixmapList& list) {
    if (m_kept.size() == kKept)
        m_kept.erase(m_kept.begin());
    m_kept.push_back({largest, shown.texts, shown.color.rgba(), list});
}

TrayPixmapList pixmaps(QWidget& view, const ShownText& shown, FigureSquares& squares,
                       RecentPixmaps& recent) {
    // The greatest height first: it tells whether the whole list is one kept.
    std::array<QImage, kHeights.size()> drawnImages;
    drawnImages.back() = drawn(view, kHeights.back());
    const TrayPixmap largest = TrayPixmap::fromImage(drawnImages.back());
    if (const TrayPixmapList* found = recent.find(largest, shown))
        return *found;
    for (std::size_t i = 0; i + 1 < kHeights.size(); ++i)
        drawnImages[i] = drawn(view, kHeights[i]);

    const QStringList figureTexts = TrayLabel::figures(shown.texts);
    TrayPixmapList list;
    for (std::size_t i = 0; i < kHeights.size(); ++i) {
        const int size = kHeights[i];
        // A drawn image that is square already, like the gear, stays as drawn.
        if (drawnImages[i].width() <= size)
            continue;
        list.append(figureTexts.isEmpty() ? TrayPixmap::fromImage(squared(drawnImages[i], size))
                                          : squares.square(figureTexts, shown.color, size));
    }
    for (std::size_t i = 0; i + 1 < kHeights.size(); ++i)
        list.append(TrayPixmap::fromImage(drawnImages[i]));
    list.append(largest);
    if (!figureTexts.isEmpty())
        list.append(squares.square(figureTexts, shown.color, largeSquareSide(drawnImages.back())));
    recent.keep(largest, shown, list);
    return list;
}

} // namespace velto::platform::TrayIconRenderer
