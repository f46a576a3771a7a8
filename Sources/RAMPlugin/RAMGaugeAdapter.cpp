#include "RAMPlugin/RAMGaugeAdapter.h"

#include "RAMCore/RAMDetailView.h"
#include "RAMCore/RAMMenuBarView.h"
#include "RAMCore/RAMMetricsSource.h"

namespace velto {

RAMGaugeAdapter::RAMGaugeAdapter() : RAMGaugeAdapter(std::make_shared<RAMMetricsSource>()) {}

RAMGaugeAdapter::RAMGaugeAdapter(std::shared_ptr<RAMMetricsSource> source)
    : m_source(std::move(source)) {}

// Releasing the source stops its timer with it; nothing ticks on afterwards.
RAMGaugeAdapter::~RAMGaugeAdapter() = default;

QString RAMGaugeAdapter::id() const {
    return QStringLiteral("ram");
}

QString RAMGaugeAdapter::displayName() const {
    return QStringLiteral("RAM");
}

void RAMGaugeAdapter::start(double interval) {
    m_source->start(interval);
}

void RAMGaugeAdapter::stop() {
    m_source->stop();
}

std::unique_ptr<QWidget> RAMGaugeAdapter::menuBarView() {
    return std::make_unique<RAMMenuBarView>(m_source);
}

std::unique_ptr<QWidget> RAMGaugeAdapter::detailView() {
    return std::make_unique<RAMDetailView>(m_source);
}

} // namespace velto
