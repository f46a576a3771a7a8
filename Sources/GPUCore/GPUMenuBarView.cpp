#include "GPUCore/GPUMenuBarView.h"

#include "GPUCore/GPUGaugeFormat.h"
#include "GPUCore/GPUGlyph.h"
#include "GPUCore/GPUMetricsSource.h"

#include <QLabel>
#include <VeltoPluginKit/MenuBarReadingLayout.h>

namespace velto {

GPUMenuBarView::GPUMenuBarView(std::shared_ptr<GPUMetricsSource> source, QWidget* parent)
    : QWidget(parent), m_source(std::move(source)), m_icon(new GPUGlyph(this)),
      m_value(new QLabel(this)) {
    // A steady width from the dash to "100%".
    MenuBarReadingLayout::apply(
        *this, *m_icon, *m_value,
        {GPUGaugeFormat::menuBarText(1.0), GPUGaugeFormat::menuBarText({})});

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
