#include "GPUPlugin/GPUGaugeAdapter.h"

#include "GPUCore/GPUDetailView.h"
#include "GPUCore/GPUMenuBarView.h"
#include "GPUCore/GPUMetricsSource.h"

namespace velto {

GPUGaugeAdapter::GPUGaugeAdapter() : GPUGaugeAdapter(std::make_shared<GPUMetricsSource>()) {}

GPUGaugeAdapter::GPUGaugeAdapter(std::shared_ptr<GPUMetricsSource> source)
    : m_source(std::move(source)) {}

// Releasing the source stops its timer and unloads NVIDIA's library with it.
GPUGaugeAdapter::~GPUGaugeAdapter() = default;

QString GPUGaugeAdapter::id() const {
    return QStringLiteral("gpu");
}

QString GPUGaugeAdapter::displayName() const {
    return QStringLiteral("GPU");
}

void GPUGaugeAdapter::start(double interval) {
    m_source->start(interval);
}

void GPUGaugeAdapter::stop() {
    m_source->stop();
}

std::unique_ptr<QWidget> GPUGaugeAdapter::menuBarView() {
    return std::make_unique<GPUMenuBarView>(m_source);
}

std::unique_ptr<QWidget> GPUGaugeAdapter::detailView() {
    return std::make_unique<GPUDetailView>(m_source);
}

} // namespace velto
