#include "GPUCore/GPUMetricsSource.h"

#include <VeltoPluginKit/RepeatingTimer.h>
#include <cmath>

namespace velto {

GPUMetricsSource::GPUMetricsSource(std::string sysfsRoot, std::string nvmlLibrary)
    : m_drm(std::move(sysfsRoot)), m_nvml(std::move(nvmlLibrary)) {}

// The timer goes with the source, and the NVIDIA library with its reader.
GPUMetricsSource::~GPUMetricsSource() = default;

void GPUMetricsSource::start(double interval) {
    if (m_timer) {
        m_timer->invalidate();
        m_timer.reset();
    }
    // A zero, negative or NaN period would make the timer spin on the main loop.
    const double period = std::isfinite(interval) && interval > 0.0 ? interval : 1.0;
    m_timer = RepeatingTimer::schedule(period, this, [this] { tick(); });
    takeReading();
}

void GPUMetricsSource::stop() {
    if (m_timer) {
        m_timer->invalidate();
        m_timer.reset();
    }
    // A stopped gauge keeps no driver session open.
    m_nvml.release();
}

void GPUMetricsSource::tick() {
    if (m_timer) {
        takeReading();
    }
}

std::optional<double> GPUMetricsSource::readUtilization() {
    if (const std::optional<double> value = m_drm.firstUtilization()) {
        return value;
    }
    return m_nvml.firstUtilization();
}

void GPUMetricsSource::takeReading() {
    GPUSnapshot snapshot{readUtilization(), GPUSnapshot::Clock::now()};
    notifyWillChange();
    m_latest = snapshot;
}

} // namespace velto
