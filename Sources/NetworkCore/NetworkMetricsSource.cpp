#include "NetworkCore/NetworkMetricsSource.h"

#include "NetworkCore/IPAddressParser.h"
#include "NetworkCore/NetlinkInterfaces.h"
#include "NetworkCore/PublicIPFetcher.h"
#include "NetworkCore/ThroughputCalculator.h"

#include <QPointer>
#include <VeltoPluginKit/RepeatingTimer.h>
#include <cmath>
#include <utility>

namespace velto {

NetworkMetricsSource::NetworkMetricsSource() : NetworkMetricsSource(Seams{}) {}

NetworkMetricsSource::NetworkMetricsSource(Seams seams) : m_seams(std::move(seams)) {
    if (!m_seams.readState) {
        // One routing socket for the source's life; where the kernel refuses it, the
        // interface list, read afresh on each tick.
        m_seams.readState = [reader = std::make_shared<NetlinkInterfaceReader>()] {
            if (std::optional<InterfaceState> state = reader->read()) {
                return std::move(*state);
            }
            return IPAddressParser::readCurrentState();
        };
    }
    if (!m_seams.monotonicNow) {
        m_seams.monotonicNow = [] { return std::chrono::steady_clock::now(); };
    }
    if (!m_seams.wallNow) {
        m_seams.wallNow = [] { return NetworkSnapshot::Clock::now(); };
    }
    if (!m_seams.lookUpPublicIP) {
        // Lookups are children of the source, so a lookup in flight ends with it.
        m_seams.lookUpPublicIP = [this](LookupCompletion completion) {
            PublicIPFetcher::fetch(*this, PublicIPFetcher::Options{}, std::move(completion));
        };
    }
}

// The timers go with the source: neither can reach a destroyed source.
NetworkMetricsSource::~NetworkMetricsSource() = default;

void NetworkMetricsSource::start(double interval) {
    stopSampling();
    // A zero, negative or NaN period would make the timer spin on the main loop.
    const double period = std::isfinite(interval) && interval > 0.0 ? interval : 1.0;
    m_timer = RepeatingTimer::schedule(period, this, [this] { tick(); });
    tick();
    if (!m_publicIPTimer) {
        restartPublicIPTimerIfEnabled();
    }
}

void NetworkMetricsSource::stopSampling() {
    if (m_timer) {
        m_timer->invalidate();
        m_timer.reset();
    }
    m_previousCounters.reset();
    m_previousTimestamp.reset();
}

void NetworkMetricsSource::stop() {
    stopSampling();
    if (m_publicIPTimer) {
        m_publicIPTimer->invalidate();
        m_publicIPTimer.reset();
    }
}

void NetworkMetricsSource::tick() {
    if (!m_timer) {
        return;
    }
    InterfaceState state = m_seams.readState();
    const auto now = m_seams.monotonicNow();
    if (m_previousCounters && m_previousTimestamp) {
        const double elapsed = std::chrono::duration<double>(now - *m_previousTimestamp).count();
        const Throughput rates =
            ThroughputCalculator::throughput(*m_previousCounters, state.counters, elapsed);
        NetworkSnapshot snapshot;
        snapshot.rxBytesPerSec = rates.rxBytesPerSec;
        snapshot.txBytesPerSec = rates.txBytesPerSec;
        for (const auto& [name, rate] : rates.perInterface) {
            snapshot.perInterface.emplace_hint(snapshot.perInterface.end(), name,
                                               rate.rx + rate.tx);
        }
        snapshot.localIPv4 = state.localIPv4;
        snapshot.publicIP = m_currentPublicIP;
        snapshot.timestamp = m_seams.wallNow();
        notifyWillChange();
        m_latest = std::move(snapshot);
    }
    m_previousCounters = std::move(state.counters);
    m_previousTimestamp = now;
}

void NetworkMetricsSource::restartPublicIPTimerIfEnabled() {
    if (!m_publicIPLookupEnabled || !m_timer) {
        return;
    }
    if (m_publicIPTimer) {
        m_publicIPTimer->invalidate();
    }
    m_publicIPTimer =
        RepeatingTimer::schedule(kPublicIPInterval, this, [this] { fetchPublicIP(); });
    fetchPublicIP();
}

void NetworkMetricsSource::fetchPublicIP() {
    if (m_isFetchingPublicIP) {
        return;
    }
    m_isFetchingPublicIP = true;
    m_seams.lookUpPublicIP(
        [self = QPointer<NetworkMetricsSource>(this)](std::optional<std::string> address) {
            if (self) {
                self->lookupFinished(std::move(address));
            }
        });
}

void NetworkMetricsSource::lookupFinished(std::optional<std::string> address) {
    m_isFetchingPublicIP = false;
    // Stopped, or switched off, while the lookup ran: the answer is no longer wanted.
    if (!m_timer || !m_publicIPLookupEnabled) {
        return;
    }
    m_currentPublicIP = std::move(address);
    republishPublicIP();
}

void NetworkMetricsSource::republishPublicIP() {
    if (!m_latest) {
        return;
    }
    NetworkSnapshot snapshot = *m_latest;
    snapshot.publicIP = m_currentPublicIP;
    snapshot.timestamp = m_seams.wallNow();
    notifyWillChange();
    m_latest = std::move(snapshot);
}

void NetworkMetricsSource::refreshPublicIPNow() {
    if (!m_publicIPLookupEnabled) {
        return;
    }
    fetchPublicIP();
}

void NetworkMetricsSource::setPublicIPLookupEnabled(bool enabled) {
    if (enabled == m_publicIPLookupEnabled) {
        return;
    }
    notifyWillChange();
    m_publicIPLookupEnabled = enabled;
    if (enabled) {
        restartPublicIPTimerIfEnabled();
        return;
    }
    if (m_publicIPTimer) {
        m_publicIPTimer->invalidate();
        m_publicIPTimer.reset();
    }
    m_currentPublicIP.reset();
    republishPublicIP();
}

} // namespace velto
