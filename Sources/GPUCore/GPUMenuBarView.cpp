#include "GPUCore/GPUMenuBarView.h"

#include "GPUCore/GPUGaugeFormat.h"
#include "GPUCore/GPUGlyph.h"
#include "GPUCore/GPUMetricsSource.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <algorithm>

namespace velto {
namespace {

// Sizes in logical pixels, the unit of the menu bar's geometry.
constexpr int kSpacing = 3;
constexpr int kFontPixels = 11;
constexpr int kIconPixels = 13;
constexpr int kValueWidth = 30;

} // namespace

GPUMenuBarView::GPUMenuBarView(std::shared_ptr<GPUMetricsSource> source, QWidget* parent)
    : QWidget(parent), m_source(std::move(source)), m_icon(new GPUGlyph(this)),
      m_value(new QLabel(this)) {
    QFont font = this->font();
    font.setPixelSize(kFontPixels);
    font.setWeight(QFont::Medium);
    setFont(font);

    m_icon->setObjectName(QStringLiteral("icon"));
    m_icon->setFixedSize(kIconPixels, kIconPixels);
    m_value->setObjectName(QStringLiteral("value"));
    m_value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // A steady width from the dash to "100%"; wider than 30 only where the font needs it.
    const QFontMetrics metrics(font);
    m_value->setFixedWidth(
        std::max({kValueWidth, metrics.horizontalAdvance(GPUGaugeFormat::menuBarText(1.0)),
                  metrics.horizontalAdvance(GPUGaugeFormat::menuBarText({}))}));

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

GPUMenuBarView::~GPUMenuBarView() = default;

void GPUMenuBarView::refresh() {
    const std::optional<double> fraction =
        m_source && m_source->latest() ? m_source->latest()->utilization : std::nullopt;
    m_value->setText(GPUGaugeFormat::menuBarText(fraction));
}

} // namespace velto
