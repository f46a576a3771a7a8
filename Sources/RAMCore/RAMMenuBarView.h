#pragma once

#include <CPUCore/PercentMenuBarView.h>
#include <memory>

namespace velto {

class RAMMetricsSource;

/// The status item's reading: the memorychip symbol and the used share as "%3.0f%%",
/// both in the load colour. Shows 0 % until the source has a snapshot.
class RAMMenuBarView : public PercentMenuBarView {
    Q_OBJECT
public:
    explicit RAMMenuBarView(std::shared_ptr<RAMMetricsSource> source, QWidget* parent = nullptr);
    ~RAMMenuBarView() override;

private:
    std::shared_ptr<RAMMetricsSource> m_source;
};

} // namespace velto
