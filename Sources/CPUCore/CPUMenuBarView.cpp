#include "CPUCore/CPUMenuBarView.h"

#include "CPUCore/CPUMetricsSource.h"

namespace velto {

CPUMenuBarView::CPUMenuBarView(std::shared_ptr<CPUMetricsSource> source, QWidget* parent)
    : PercentMenuBarView(
          QStringLiteral("cpu"),
          [raw = source.get()] { return raw && raw->latest() ? raw->latest()->totalUsage : 0.0; },
          parent),
      m_source(std::move(source)) {
    if (m_source) {
        m_source->onChange(this, [this] { refresh(); });
    }
}

CPUMenuBarView::~CPUMenuBarView() = default;

} // namespace velto
