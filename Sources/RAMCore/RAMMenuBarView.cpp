#include "RAMCore/RAMMenuBarView.h"

#include "RAMCore/RAMMetricsSource.h"

#include <CPUCore/CPUGaugeFormat.h>
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

RAMMenuBarView::RAMMenuBarView(std::shared_ptr<RAMMetricsSource> source, QWidget* parent)
    : QWidget(parent), m_source(std::move(source)), m_icon(new QLabel(this)),
      m_value(new QLabel(this)) {
    // Sizes are in logical pixels, the unit the menu bar's geometry uses.
    QFont font = this->font();
    font.setPixelSize(kFontPixels);
    font.setWeight(QFont::Medium);
    setFont(font);

    m_icon->setObjectName(QStringLiteral("icon"));
    m_icon->setFixedSize(kIconPixels, kIconPixels);
    m_value->setObjectName(QStringLiteral("value"));
    m_value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // A steady frame from "  0%" to "100%", wider than 30 only for a font too wide for it.
    m_value->setFixedWidth(
        std::max(kValueWidth, QFontMetrics(font).horizontalAdvance(QStringLiteral("100%"))));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kSpacing);
    layout->addWidget(m_icon, 0, Qt::AlignVCenter);
    layout->addWidget(m_value, 0, Qt::AlignVCenter);

    if (m_source) {
        m_source->onChange(this, [this] { refresh(); });
    }
    refresh();
}

RAMMenuBarView::~RAMMenuBarView() = default;

void RAMMenuBarView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        refresh();
    }
}

void RAMMenuBarView::refresh() {
    const double fraction =
        m_source && m_source->latest() ? m_source->latest()->usedFraction() : 0.0;
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
            SystemSymbol::pixmap(QStringLiteral("memorychip"), kIconPixels, color, ratio));
    }
    m_drawnColor = color;
    m_drawnRatio = ratio;
}

} // namespace velto
