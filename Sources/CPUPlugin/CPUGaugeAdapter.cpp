#include "CPUPlugin/CPUGaugeAdapter.h"

#include "CPUCore/CPUDetailView.h"
#include "CPUCore/CPUMenuBarView.h"
#include "CPUCore/CPUMetricsSource.h"

namespace velto {

CPUGaugeAdapter::CPUGaugeAdapter() : CPUGaugeAdapter(std::make_shared<CPUMetricsSource>()) {}

CPUGaugeAdapter::CPUGaugeAdapter(std::shared_ptr<CPUMetricsSource> source)
    : m_source(std::move(source)) {}

// Releasing the source stops its timer with it; nothing ticks on afterwards.
CPUGaugeAdapter::~CPUGaugeAdapter() = default;

QString CPUGaugeAdapter::id() const {
    return QStringLiteral("cpu");
}

QString CPUGaugeAdapter::displayName() const {
    return QStringLiteral("CPU");
}

void CPUGaugeAdapter::start(double interval) {
    m_source->start(interval);
}

void CPUGaugeAdapter::stop() {
    m_source->stop();
}

std::unique_ptr<QWidget> CPUGaugeAdapter::menuBarView() {
    return std::make_unique<CPUMenuBarView>(m_source);
}

std::unique_ptr<QWidget> CPUGaugeAdapter::detailView() {
    return std::make_unique<CPUDetailView>(m_source);
}

} // namespace velto
