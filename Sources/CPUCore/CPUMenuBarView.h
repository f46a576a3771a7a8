#pragma once

#include <CPUCore/PercentMenuBarView.h>
#include <memory>

namespace velto {

class CPUMetricsSource;

/// The status item's reading: the cpu symbol and the total load as "%3.0f%%", both in
/// the load colour. Shows 0 % until the source has a snapshot.
class CPUMenuBarView : public PercentMenuBarView {
    Q_OBJECT
public:
    explicit CPUMenuBarView(std::shared_ptr<CPUMetricsSource> source, QWidget* parent = nullptr);
    ~CPUMenuBarView() override;

private:
    std::shared_ptr<CPUMetricsSource> m_source;
};

} // namespace velto
