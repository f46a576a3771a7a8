#pragma once

#include "NetworkCore/InterfaceState.h"
#include "NetworkCore/NetworkSnapshot.h"

#include <VeltoPluginKit/Observable.h>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velto {

class RepeatingTimer;

/**
 * Samples the interface counters on a main-loop timer and publishes the rates since
 * the previous reading as latest(), with the local address and the public one. A
 * second timer looks the public address up every 300 seconds while sampling, unless
 * lookups are switched off. Shared by the network widget and its views.
 *
 * Rates are divided by the time that passed on a monotonic clock, so a step of the
 * wall clock never shows as traffic; snapshots are stamped with wall-clock time.
 */
class NetworkMetricsSource : public Observable {
    Q_OBJECT
public:
    using LookupCompletion = std::function<void(std::optional<std::string>)>;

    /// Where the source gets its readings, its times and its public address from.
    struct Seams {
        std::function<InterfaceState()> readState;
        std::function<std::chrono::steady_clock::time_point()> monotonicNow;
        std::function<NetworkSnapshot::Clock::time_point()> wallNow;
        /// Starts one lookup and calls the completion on the main thread when it ends.
        std::function<void(LookupCompletion)> lookUpPublicIP;
    };

    static constexpr double kPublicIPInterval = 300.0;

    /// The system's interfaces, the system clocks and the public echo services.
    NetworkMetricsSource();
    /// Seams left empty fall back to the system's.
    explicit NetworkMetricsSource(Seams seams);
    ~NetworkMetricsSource() override;

    /// Starts, or restarts, sampling every @p interval seconds: the baseline is read at
    /// once, so the first snapshot comes one interval from now. An interval that is not
    /// a positive number is taken as 1 second. A public-IP timer already running keeps
    /// its schedule; otherwise one starts with a lookup at once, if lookups are on.
    void start(double interval);
    /// Stops both timers and forgets the baseline. latest() stays as it is.
    void stop();
    /// Switching off stops the public-IP timer, forgets the address and re-publishes
    /// latest() without it; switching on while sampling starts the timer and a lookup.
    void setPublicIPLookupEnabled(bool enabled);
    /// A lookup now, unless lookups are off or one is in flight.
    void refreshPublicIPNow();
    /// One sample: what the sampling timer runs. Does nothing while the source is stopped.
    void tick();
    /// One lookup: what the public-IP timer runs.
    void fetchPublicIP();

    const std::optional<NetworkSnapshot>& latest() const { return m_latest; }
    bool publicIPLookupEnabled() const { return m_publicIPLookupEnabled; }

    bool isRunning() const { return m_timer != nullptr; }
    bool hasBaseline() const { return m_previousCounters.has_value(); }
    bool isFetchingPublicIP() const { return m_isFetchingPublicIP; }
    const RepeatingTimer* publicIPTimer() const { return m_publicIPTimer.get(); }
    const std::optional<std::string>& currentPublicIP() const { return m_currentPublicIP; }

private:
    void stopSampling();
    void restartPublicIPTimerIfEnabled();
    void lookupFinished(std::optional<std::string> address);
    void republishPublicIP();

    Seams m_seams;

    std::optional<NetworkSnapshot> m_latest;
    bool m_publicIPLookupEnabled = true;
    std::unique_ptr<RepeatingTimer> m_timer;
    std::unique_ptr<RepeatingTimer> m_publicIPTimer;
    std::optional<std::vector<InterfaceCounters>> m_previousCounters;
    std::optional<std::chrono::steady_clock::time_point> m_previousTimestamp;
    std::optional<std::string> m_currentPublicIP;
    bool m_isFetchingPublicIP = false;
};

} // namespace velto
