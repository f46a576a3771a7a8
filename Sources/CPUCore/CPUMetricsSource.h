#pragma once

#include "CPUCore/CPUReading.h"
#include "CPUCore/CPUSnapshot.h"
#include "CPUCore/ProcFileReader.h"

#include <VeltoPluginKit/Observable.h>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace velto {

class RepeatingTimer;

/// Samples the processors' tick counters on a main-loop timer and publishes the busy
/// fractions of the last interval as latest(). Shared by the CPU widget and its views.
///
/// The first successful reading of a run is only a baseline, so latest() changes from
/// the second one on; stop() and a restart forget the baseline but keep latest().
class CPUMetricsSource : public Observable {
    Q_OBJECT
public:
    /// Returns the text of one /proc/stat reading, or nothing when it cannot be read.
    using TextReader = std::function<std::optional<std::string>()>;

    /// Reads @p statPath, /proc/stat unless a test gives another file.
    explicit CPUMetricsSource(std::string statPath = "/proc/stat");
    /// Takes each reading's text from @p reader.
    explicit CPUMetricsSource(TextReader reader);
    ~CPUMetricsSource() override;

    /// Starts, or restarts, sampling every @p interval seconds; the first reading comes one
    /// interval from now. An interval that is not a positive number is taken as 1 second.
    void start(double interval);
    /// Stops sampling and forgets the baseline. latest() stays as it is.
    void stop();
    /// One sample: what the timer runs. Does nothing while the source is stopped.
    void tick();

    const std::optional<CPUSnapshot>& latest() const { return m_latest; }
    bool isRunning() const { return m_timer != nullptr; }
    bool hasBaseline() const { return m_hasBaseline; }

private:
    std::optional<std::string_view> readText();

    std::optional<ProcFileReader> m_file;
    TextReader m_reader;
    std::string m_readerText;

    std::optional<CPUSnapshot> m_latest;
    std::unique_ptr<RepeatingTimer> m_timer;
    // Two readings whose storage is swapped rather than reallocated on every tick.
    CPUReading m_previous;
    CPUReading m_current;
    bool m_hasBaseline = false;
};

} // namespace velto
