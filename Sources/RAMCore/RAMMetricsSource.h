#pragma once

#include "RAMCore/RAMSnapshot.h"

#include <CPUCore/ProcFileReader.h>
#include <VeltoPluginKit/Observable.h>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace velto {

class RepeatingTimer;

/// Reads the kernel's memory figures on a main-loop timer and publishes them as
/// latest(). Shared by the RAM widget and its views.
///
/// Every reading stands on its own: start() takes one at once, so latest() is there as
/// soon as start() returns unless /proc/meminfo cannot be read. stop() keeps latest().
class RAMMetricsSource : public Observable {
    Q_OBJECT
public:
    /// Returns the text of one /proc/meminfo reading, or nothing when it cannot be read.
    using TextReader = std::function<std::optional<std::string>()>;
    /// Returns the page size in bytes, 0 when it is unknown.
    using PageSizeReader = std::function<std::uint64_t()>;

    /// The kernel's page size, 0 when sysconf() does not know it.
    static std::uint64_t systemPageSize();

    /// Reads @p meminfoPath, /proc/meminfo unless a test gives another file.
    explicit RAMMetricsSource(std::string meminfoPath = "/proc/meminfo");
    /// Takes each reading's text from @p reader and the page size from @p pageSize.
    explicit RAMMetricsSource(TextReader reader, PageSizeReader pageSize = systemPageSize);
    ~RAMMetricsSource() override;

    /// Starts, or restarts, sampling every @p interval seconds, and takes the first
    /// reading now. An interval that is not a positive number is taken as 1 second.
    void start(double interval);
    /// Stops sampling. latest() stays as it is.
    void stop();
    /// One sample: what the timer runs. Does nothing while the source is stopped; a
    /// reading that cannot be read or understood leaves latest() as it was.
    void tick();

    const std::optional<RAMSnapshot>& latest() const { return m_latest; }
    bool isRunning() const { return m_timer != nullptr; }

private:
    std::optional<std::string_view> readText();

    std::optional<ProcFileReader> m_file;
    TextReader m_reader;
    std::string m_readerText;
    PageSizeReader m_pageSize;

    std::optional<RAMSnapshot> m_latest;
    std::unique_ptr<RepeatingTimer> m_timer;
};

} // namespace velto
