#include "RAMCore/RAMMetricsSource.h"

#include "RAMCore/MemInfoParser.h"
#include "RAMCore/RAMCalculator.h"

#include <VeltoPluginKit/RepeatingTimer.h>
#include <cmath>
#include <unistd.h>
#include <utility>

namespace velto {

std::uint64_t RAMMetricsSource::systemPageSize() {
    const long size = ::sysconf(_SC_PAGESIZE);
    return size > 0 ? static_cast<std::uint64_t>(size) : 0;
}

RAMMetricsSource::RAMMetricsSource(std::string meminfoPath)
    : m_file(std::in_place, std::move(meminfoPath)), m_pageSize(systemPageSize) {}

RAMMetricsSource::RAMMetricsSource(TextReader reader, PageSizeReader pageSize)
    : m_reader(std::move(reader)), m_pageSize(std::move(pageSize)) {}

// The timer goes with the source: a tick can never reach a destroyed source.
RAMMetricsSource::~RAMMetricsSource() = default;

void RAMMetricsSource::start(double interval) {
    stop();
    // A zero, negative or NaN period would make the timer spin on the main loop.
    const double period = std::isfinite(interval) && interval > 0.0 ? interval : 1.0;
    m_timer = RepeatingTimer::schedule(period, this, [this] { tick(); });
    tick();
}

void RAMMetricsSource::stop() {
    if (m_timer) {
        m_timer->invalidate();
        m_timer.reset();
    }
}

std::optional<std::string_view> RAMMetricsSource::readText() {
    if (m_file) {
        return m_file->read();
    }
    if (!m_reader) {
        return std::nullopt;
    }
    std::optional<std::string> text = m_reader();
    if (!text) {
        return std::nullopt;
    }
    m_readerText = std::move(*text);
    return std::string_view(m_readerText);
}

void RAMMetricsSource::tick() {
    if (!m_timer) {
        return;
    }
    const std::optional<std::string_view> text = readText();
    if (!text) {
        return;
    }
    const std::optional<MemInfo> info = MemInfoParser::parse(*text);
    if (!info) {
        return;
    }
    // An unknown page size gives zero page figures beside the true total.
    const std::uint64_t pageSize = m_pageSize ? m_pageSize() : 0;
    const RAMSnapshot snapshot = RAMCalculator::snapshot(
        MemInfoParser::pageCounts(*info, pageSize), pageSize, MemInfoParser::totalBytes(*info));
    notifyWillChange();
    m_latest = snapshot;
}

} // namespace velto
