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

QFont FigureFonts::at(int pixelSize) {
    const auto found = m_fonts.find(pixelSize);
    if (found != m_fonts.end())
        return found->second;
    QFont font;
    font.setBold(true);
    font.setPixelSize(pixelSize);
    // Loads the engine, which the kept font then holds.
    QFontMetricsF(font).height();
    if (m_fonts.size() < kMaxKept)
        m_fonts.emplace(pixelSize, font);
    return font;
}

FigureSpan FigureSpan::measure(const QStringList& figures, FigureFonts& fonts) {
    FigureSpan span;
    span.lines = static_cast<int>(figures.size());
    if (figures.isEmpty())
        return span;
    const QFontMetricsF reference(fonts.at(kReferenceSize));
    for (const QString& figure : figures)
        span.widestAtReference =
            std::max(span.widestAtReference, reference.horizontalAdvance(figure));
    span.capHeightAtReference = reference.capHeight();
    return span;
}

QImage figures(const QStringList& figures, const FigureSpan& span, int size, const QColor& color,
               FigureFonts& fonts) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (figures.isEmpty() || size <= 0 || span.lines != figures.size())
        return image;
    const double lineHeight = double(size) / span.lines;
    // The largest pixel size at which the widest figure fits across and each
    // line fits down. Text grows about linearly with the pixel size: estimate
    // from the measurement at the reference size, then step down the little
    // that hinting adds.
    std::vector<double> advances(figures.size());
    double capHeight = 0;
    const auto fits = [&](int pixelSize) {
        const QFontMetricsF metrics(fonts.at(pixelSize));
        double widest = 0;
        for (qsizetype line = 0; line < figures.size(); ++line) {
            advances[line] = metrics.horizontalAdvance(figures[line]);
            widest = std::max(widest, advances[line]);
        }
        capHeight = metrics.capHeight();
        return widest <= size && capHeight <= lineHeight * 0.86;
    };
    const double byWidth =
        span.widestAtReference > 0 ? size * kReferenceSize / span.widestAtReference : double(size);
    const double byHeight = span.capHeightAtReference > 0
                                ? lineHeight * 0.86 * kReferenceSize / span.capHeightAtReference
                                : lineHeight;
    int pixelSize =
        std::clamp(static_cast<int>(std::min({byWidth, byHeight, lineHeight * 1.1})), 1, 4 * size);
    while (!fits(pixelSize) && pixelSize > 1)
        --pixelSize;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(fonts.at(pixelSize));
    painter.setPen(color);
    // Each figure centred across, its digits centred down its line: placed
    // from the measurements above, which spares a text layout per line.
    for (int line = 0; line < span.lines; ++line) {
        const double x = (size - advances[line]) / 2;
        const double baseline = line * lineHeight + (lineHeight + capHeight) / 2;
        painter.drawText(QPointF(x, baseline), figures[line]);
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

TrayPixmapList pixmaps(QWidget& view, FigureFonts& fonts) {
    std::vector<QImage> drawnImages;
    for (const int height : kHeights)
        drawnImages.push_back(drawn(view, height));
    const QStringList figureTexts = TrayLabel::figures(texts(view));
    const QColor color = textColor(view);
    const FigureSpan span = FigureSpan::measure(figureTexts, fonts);
    TrayPixmapList list;
    for (std::size_t i = 0; i < kHeights.size(); ++i) {
        const int size = kHeights[i];
        // A drawn image that is square already, like the gear, stays as drawn.
        if (drawnImages[i].width() <= size)
            continue;
        list.append(TrayPixmap::fromImage(figureTexts.isEmpty()
                                              ? squared(drawnImages[i], size)
                                              : figures(figureTexts, span, size, color, fonts)));
    }
    for (const QImage& image : drawnImages)
        list.append(TrayPixmap::fromImage(image));
    if (!figureTexts.isEmpty())
        list.append(TrayPixmap::fromImage(figures(figureTexts, span, kLargeSquare, color, fonts)));
    return list;
}

} // namespace velto::platform::TrayIconRenderer
