#include <QTimer>
#include <VeltoPluginKit/RepeatingTimer.h>
#include <algorithm>
#include <cmath>

namespace velto {

std::unique_ptr<RepeatingTimer> RepeatingTimer::schedule(double interval, QObject* owner,
                                                         std::function<void()> tick) {
    return std::unique_ptr<RepeatingTimer>(new RepeatingTimer(interval, owner, std::move(tick)));
}

RepeatingTimer::RepeatingTimer(double interval, QObject* owner, std::function<void()> tick)
    : m_interval(interval), m_owner(owner), m_timer(std::make_unique<QTimer>()) {
    // Gauges ticking once a second or slower may drift up to 5 % of a period, which
    // lets Qt move them onto shared half-second boundaries: the app then wakes, reads
    // and redraws once per period instead of once per gauge.
    m_timer->setTimerType(std::isfinite(interval) && interval >= 1.0 ? Qt::CoarseTimer
                                                                     : Qt::PreciseTimer);
    m_timer->setSingleShot(false);
    // QTimer takes whole milliseconds; a period below one would spin the loop.
    const double ms = std::isfinite(interval) ? std::round(interval * 1000.0) : 1000.0;
    m_timer->setInterval(static_cast<int>(std::clamp(ms, 1.0, 2147483647.0)));
    QObject::connect(m_timer.get(), &QTimer::timeout, m_timer.get(),
                     [owner = m_owner, tick = std::move(tick)] {
                         if (owner) {
                             tick();
                         }
                     });
    m_timer->start();
}

RepeatingTimer::~RepeatingTimer() = default;

void RepeatingTimer::invalidate() {
    if (m_timer) {
        m_timer->stop();
    }
}

bool RepeatingTimer::isValid() const {
    return m_timer && m_timer->isActive();
}

} // namespace velto
