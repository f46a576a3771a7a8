#include "CPUCore/PercentMenuBarView.h"

#include "CPUCore/CPUGaugeFormat.h"

#include <QEvent>
#include <QLabel>
#include <VeltoPluginKit/MenuBarReadingLayout.h>
#include <VeltoPluginKit/SystemSymbol.h>

namespace velto {

PercentMenuBarView::PercentMenuBarView(QString symbolName, std::function<double()> fraction,
                                       QWidget* parent)
    : QWidget(parent), m_symbolName(std::move(symbolName)), m_fraction(std::move(fraction)),
      m_icon(new QLabel(this)), m_value(new QLabel(this)) {
    // The frame keeps the reading's width steady from "  0%" to "100%".
    MenuBarReadingLayout::apply(*this, *m_icon, *m_value, {QStringLiteral("100%")});
    refresh();
}

PercentMenuBarView::~PercentMenuBarView() = default;

void PercentMenuBarView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        refresh();
    }
}

void PercentMenuBarView::refresh() {
    const double fraction = m_fraction ? m_fraction() : 0.0;
    const QColor color = CPUGaugeFormat::loadColor(CPUGaugeFormat::loadLevel(fraction),
                                                   palette().color(QPalette::WindowText));

    if (color != m_drawnColor) {
        QPalette valuePalette = m_value->palette();
        valuePalette.setColor(QPalette::WindowText, color);
        m_value->setPalette(valuePalette);
    }
    m_value->setText(CPUGaugeFormat::percent(fraction));
    const qreal ratio = devicePixelRatioF();
    if (color != m_drawnColor || ratio != m_drawnRatio) {
        m_icon->setPixmap(
            SystemSymbol::pixmap(m_symbolName, MenuBarReadingLayout::kIconPixels, color, ratio));
    }
    m_drawnColor = color;
    m_drawnRatio = ratio;
}

} // namespace velto
