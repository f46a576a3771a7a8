#include "CPUCore/PercentMenuBarView.h"

#include "CPUCore/CPUGaugeFormat.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <VeltoPluginKit/SystemSymbol.h>
#include <algorithm>

namespace velto {
namespace {

constexpr int kSpacing = 3;
constexpr int kFontPixels = 11;
constexpr int kIconPixels = 13;
constexpr int kValueWidth = 30;

} // namespace

PercentMenuBarView::PercentMenuBarView(QString symbolName, std::function<double()> fraction,
                                       QWidget* parent)
    : QWidget(parent), m_symbolName(std::move(symbolName)), m_fraction(std::move(fraction)),
      m_icon(new QLabel(this)), m_value(new QLabel(this)) {
    // Sizes are in logical pixels, the unit the menu bar's geometry uses.
    QFont font = this->font();
    font.setPixelSize(kFontPixels);
    font.setWeight(QFont::Medium);
    setFont(font);

    m_icon->setObjectName(QStringLiteral("icon"));
    m_icon->setFixedSize(kIconPixels, kIconPixels);
    m_value->setObjectName(QStringLiteral("value"));
    m_value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The frame keeps the reading's width steady from "  0%" to "100%"; it grows past
    // 30 only where the font is too wide to fit "100%" in it.
    m_value->setFixedWidth(
        std::max(kValueWidth, QFontMetrics(font).horizontalAdvance(QStringLiteral("100%"))));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kSpacing);
    layout->addWidget(m_icon, 0, Qt::AlignVCenter);
    layout->addWidget(m_value, 0, Qt::AlignVCenter);
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
        m_icon->setPixmap(SystemSymbol::pixmap(m_symbolName, kIconPixels, color, ratio));
    }
    m_drawnColor = color;
    m_drawnRatio = ratio;
}

} // namespace velto
