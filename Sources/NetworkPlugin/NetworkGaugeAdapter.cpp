#include "NetworkPlugin/NetworkGaugeAdapter.h"

#include "NetworkCore/NetworkDetailView.h"
#include "NetworkCore/NetworkMenuBarView.h"
#include "NetworkCore/NetworkMetricsSource.h"

namespace velto {

NetworkGaugeAdapter::NetworkGaugeAdapter()
    : NetworkGaugeAdapter(std::make_shared<NetworkMetricsSource>()) {}

NetworkGaugeAdapter::NetworkGaugeAdapter(std::shared_ptr<NetworkMetricsSource> source)
    : m_source(std::move(source)) {}

// Releasing the source stops its timers and drops a lookup in flight with it.
NetworkGaugeAdapter::~NetworkGaugeAdapter() = default;

QString NetworkGaugeAdapter::id() const {
    return QStringLiteral("network");
}

QString NetworkGaugeAdapter::displayName() const {
    return QStringLiteral("Network");
}

void NetworkGaugeAdapter::start(double interval) {
    m_source->start(interval);
}

void NetworkGaugeAdapter::stop() {
    m_source->stop();
}

std::unique_ptr<QWidget> NetworkGaugeAdapter::menuBarView() {
    return std::make_unique<NetworkMenuBarView>(m_source);
}

std::unique_ptr<QWidget> NetworkGaugeAdapter::detailView() {
    return std::make_unique<NetworkDetailView>(m_source);
}

void NetworkGaugeAdapter::setPublicIPLookupEnabled(bool enabled) {
    m_source->setPublicIPLookupEnabled(enabled);
}

} // namespace velto
