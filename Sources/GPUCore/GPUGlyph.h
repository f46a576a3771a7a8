#pragma once

#include <QWidget>

class QPainter;

namespace velto {

/// The GPU gauge's icon, a graphics card seen from the side with its fan, bracket and
/// contact row, drawn in code on a 16 × 16 grid in the widget's foreground colour. It
/// keeps a square shape: in a frame that is not square it takes the largest centred
/// square, and the grid unit follows the shorter side.
class GPUGlyph : public QWidget {
    Q_OBJECT
public:
    explicit GPUGlyph(QWidget* parent = nullptr);

    /// Draws the icon into the largest square centred in @p frame, in @p color.
    static void paint(QPainter& painter, const QRectF& frame, const QColor& color);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace velto
