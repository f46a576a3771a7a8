#include "RAMCore/RAMMenuBarView.h"

#include "RAMCore/RAMMetricsSource.h"

namespace velto {

RAMMenuBarView::RAMMenuBarView(std::shared_ptr<RAMMetricsSource> source, QWidget* parent)
    : PercentMenuBarView(
          QStringLiteral("memorychip"),
          [raw = source.get()] {
              return raw && raw->latest() ? raw->latest()->usedFraction() : 0.0;
          },
          parent),
      m_source(std::move(source)) {
    if (m_source) {
        m_source->onChange(this, [this] { refresh(); });
    }
}

RAMMenuBarView::~RAMMenuBarView() = default;

} // namespace velto
