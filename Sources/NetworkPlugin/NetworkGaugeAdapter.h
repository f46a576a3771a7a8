#pragma once

#include <VeltoPluginKit/PublicIPToggleable.h>
#include <VeltoPluginKit/VeltoWidget.h>
#include <memory>

namespace velto {

class NetworkMetricsSource;

/// The network gauge as the host sees it: one metrics source, views bound to it, and
/// the switch for the public address lookup. Every call is passed on to the source.
class NetworkGaugeAdapter : public VeltoWidget, public PublicIPToggleable {
public:
    NetworkGaugeAdapter();
    /// For tests: a widget over a source with made-up readings and lookups.
    explicit NetworkGaugeAdapter(std::shared_ptr<NetworkMetricsSource> source);
    ~NetworkGaugeAdapter() override;

    QString id() const override;
    QString displayName() const override;
    void start(double interval) override;
    void stop() override;
    std::unique_ptr<QWidget> menuBarView() override;
    std::unique_ptr<QWidget> detailView() override;
    void setPublicIPLookupEnabled(bool enabled) override;

    const std::shared_ptr<NetworkMetricsSource>& source() const { return m_source; }

private:
    std::shared_ptr<NetworkMetricsSource> m_source;
};

} // namespace velto
