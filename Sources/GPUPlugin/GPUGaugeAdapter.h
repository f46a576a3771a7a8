#pragma once

#include <VeltoPluginKit/VeltoWidget.h>
#include <memory>

namespace velto {

class GPUMetricsSource;

/// The GPU gauge as the host sees it: one metrics source, and views bound to it.
class GPUGaugeAdapter : public VeltoWidget {
public:
    GPUGaugeAdapter();
    /// For tests: a widget over a source that reads a fixture tree or a fake library.
    explicit GPUGaugeAdapter(std::shared_ptr<GPUMetricsSource> source);
    ~GPUGaugeAdapter() override;

    QString id() const override;
    QString displayName() const override;
    void start(double interval) override;
    void stop() override;
    std::unique_ptr<QWidget> menuBarView() override;
    std::unique_ptr<QWidget> detailView() override;

    const std::shared_ptr<GPUMetricsSource>& source() const { return m_source; }

private:
    std::shared_ptr<GPUMetricsSource> m_source;
};

} // namespace velto
