#pragma once

#include <VeltoPluginKit/VeltoWidget.h>
#include <memory>

namespace velto {

class CPUMetricsSource;

/// The CPU gauge as the host sees it: one metrics source, and views bound to it.
class CPUGaugeAdapter : public VeltoWidget {
public:
    CPUGaugeAdapter();
    /// For tests: a widget over a source that reads elsewhere than /proc/stat.
    explicit CPUGaugeAdapter(std::shared_ptr<CPUMetricsSource> source);
    ~CPUGaugeAdapter() override;

    QString id() const override;
    QString displayName() const override;
    void start(double interval) override;
    void stop() override;
    std::unique_ptr<QWidget> menuBarView() override;
    std::unique_ptr<QWidget> detailView() override;

    const std::shared_ptr<CPUMetricsSource>& source() const { return m_source; }

private:
    std::shared_ptr<CPUMetricsSource> m_source;
};

} // namespace velto
