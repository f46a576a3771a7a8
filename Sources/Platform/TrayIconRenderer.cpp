#include "Platform/TrayIconRenderer.h"

#include "Platform/TrayLabel.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLabel>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cmath>
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

} // namespace

QStringList texts(const QWidget& view) {
    QStringList result;
    for (const QLabel* label : shownLabels(view))
        result.append(label->text());
    return result;
}

QColor textColor(const QWidget& view) {
    const std::vector<const QLabel*> labels = shownLabels(view);
    if (labels.empty())
        return view.palette().color(QPalette::WindowText);
    return labels.front()->palette().color(labels.front()->foregroundRole());
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

QFont figureFont() {
    QFont font;
    font.setPixelSize(kReferenceSize);
    // Loads the engine, which the font then holds.
    QFontMetricsF(font).height();
    return font;
}

FigureOutlines FigureOutlines::of(const QStringList& figures, const QFont& font) {
    FigureOutlines outlines;
    if (figures.isEmpty())
        return outlines;
    const QFontMetricsF metrics(font);
    outlines.capHeight = metrics.capHeight();
    for (const QString& figure : figures) {
        QPainterPath path;
        path.addText(QPointF(0, 0), font, figure);
        outlines.lines.push_back(std::move(path));
        outlines.advances.push_back(metrics.horizontalAdvance(figure));
        outlines.widest = std::max(outlines.widest, outlines.advances.back());
    }
    return outlines;
}

QImage figures(const FigureOutlines& outlines, int size, const QColor& color) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const auto lines = static_cast<int>(outlines.lines.size());
    if (lines == 0 || size <= 0 || outlines.widest <= 0 || outlines.capHeight <= 0)
        return image;
    const double lineHeight = double(size) / lines;
    // Outlines grow exactly with the scale: the widest figure fits across,
    // each line's digits fill most of its height, and a lone short figure
    // ("7") stops at the size a line of text that tall would have.
    // Strokes around the outlines: one in the figures' own colour makes the
    // regular face read as bold (a second, bold face would cost its own file
    // and engine), one wider and of the opposite lightness is a halo. The
    // host's background is not known: the halo keeps dark digits legible on
    // a dark panel, and light ones on a light panel.
    const double emboldenAtReference = kReferenceSize * 0.06;
    const double haloPixels = std::max(1.0, size / 40.0);
    // Outlines grow exactly with the scale: the widest figure, strokes
    // included, fits across, each line's digits fill most of its height, and
    // a lone short figure ("7") stops at the size a line of text that tall
    // would have.
    const double across = size - 2 * haloPixels;
    const double scale = std::min({across / (outlines.widest + emboldenAtReference),
                                   lineHeight * 0.86 / (outlines.capHeight + emboldenAtReference),
                                   lineHeight * 1.1 / kReferenceSize});
    const double embolden = emboldenAtReference * scale;
    QPen bold(color, embolden, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    bold.setCosmetic(true);
    QPen halo(color.lightness() < 128 ? QColor(255, 255, 255, 150) : QColor(0, 0, 0, 150),
              embolden + 2 * haloPixels, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    halo.setCosmetic(true);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // Each figure centred across, its digits centred down its line.
    for (int line = 0; line < lines; ++line) {
        const double x = (size - outlines.advances[line] * scale) / 2;
        const double baseline = line * lineHeight + (lineHeight + outlines.capHeight * scale) / 2;
        painter.setTransform(QTransform(scale, 0, 0, scale, x, baseline));
        painter.strokePath(outlines.lines[line], halo);
        painter.strokePath(outlines.lines[line], bold);
        painter.fillPath(outlines.lines[line], color);
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

TrayPixmapList pixmaps(QWidget& view, const QFont& figureFont) {
    std::vector<QImage> drawnImages;
    for (const int height : kHeights)
        drawnImages.push_back(drawn(view, height));
    const QStringList figureTexts = TrayLabel::figures(texts(view));
    const QColor color = textColor(view);
    const FigureOutlines outlines = FigureOutlines::of(figureTexts, figureFont);
    TrayPixmapList list;
    for (std::size_t i = 0; i < kHeights.size(); ++i) {
        const int size = kHeights[i];
        // A drawn image that is square already, like the gear, stays as drawn.
        if (drawnImages[i].width() <= size)
            continue;
        list.append(TrayPixmap::fromImage(figureTexts.isEmpty() ? squared(drawnImages[i], size)
                                                                : figures(outlines, size, color)));
    }
    for (const QImage& image : drawnImages)
        list.append(TrayPixmap::fromImage(image));
    if (!figureTexts.isEmpty())
        list.append(TrayPixmap::fromImage(figures(outlines, kLargeSquare, color)));
    return list;
}

} // namespace velto::platform::TrayIconRenderer
