#pragma once

#include <QColor>
#include <QWidget>

namespace velto {

/// A thin linear gauge: a rounded track filled from the leading edge in proportion to
/// a value in [0, 1], like a determinate progress bar but the same in every Qt style.
class UsageBar : public QWidget {
    Q_OBJECT
public:
    explicit UsageBar(QWidget* parent = nullptr);

    /// @p value is clamped to [0, 1]; NaN reads as 0.
    void setValue(double value);
    double value() const { return m_value; }
    void setTint(const QColor& tint);
    QColor tint() const { return m_tint; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_value = 0.0;
    QColor m_tint;
};

} // namespace velto
