#pragma once

#include <VeltoPluginKit/VeltoWidget.h>
#include <memory>

namespace velto {

class RAMMetricsSource;

/// The RAM gauge as the host sees it: one metrics source, and views bound to it.
class RAMGaugeAdapter : public VeltoWidget {
public:
    RAMGaugeAdapter();
    /// For tests: a widget over a source that reads elsewhere than /proc/meminfo.
    explicit RAMGaugeAdapter(std::shared_ptr<RAMMetricsSource> source);
    ~RAMGaugeAdapter() override;

    QString id() const override;
    QString displayName() const override;
    void start(double interval) override;
    void stop() override;
    std::unique_ptr<QWidget> menuBarView() override;
    std::unique_ptr<QWidget> detailView() override;

    const std::shared_ptr<RAMMetricsSource>& source() const { return m_source; }

private:
    std::shared_ptr<RAMMetricsSource> m_source;
};

} // namespace velto
