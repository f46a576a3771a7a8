#include "CPUCore/CPUMetricsSource.h"

#include "CPUCore/CPUCalculator.h"
#include "CPUCore/ProcStatParser.h"

#include <VeltoPluginKit/RepeatingTimer.h>
#include <cmath>
#include <utility>

namespace velto {

CPUMetricsSource::CPUMetricsSource(std::string statPath)
    : m_file(std::in_place, std::move(statPath)) {}

CPUMetricsSource::CPUMetricsSource(TextReader reader) : m_reader(std::move(reader)) {}

// The timer goes with the source: a tick can never reach a destroyed source.
CPUMetricsSource::~CPUMetricsSource() = default;

void CPUMetricsSource::start(double interval) {
    stop();
    // A zero, negative or NaN period would make the timer spin on the main loop.
    const double period = std::isfinite(interval) && interval > 0.0 ? interval : 1.0;
    m_timer = RepeatingTimer::schedule(period, this, [this] { tick(); });
}

void CPUMetricsSource::stop() {
    if (m_timer) {
        m_timer->invalidate();
        m_timer.reset();
    }
    m_hasBaseline = false;
}

std::optional<std::string_view> CPUMetricsSource::readText() {
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

void CPUMetricsSource::tick() {
    if (!m_timer) {
        return;
    }
    const std::optional<std::string_view> text = readText();
    // A failed or malformed reading skips the tick; the baseline stays for the next one.
    if (!text || !ProcStatParser::parse(*text, m_current)) {
        return;
    }
    if (m_hasBaseline) {
        CPUSnapshot snapshot =
            m_previous.processorNumbers == m_current.processorNumbers
                ? CPUCalculator::usage(m_previous.loads, m_current.loads)
                : CPUCalculator::usage(CPUCalculator::baselineFor(m_previous, m_current),
                                       m_current.loads);
        notifyWillChange();
        m_latest = std::move(snapshot);
    }
    std::swap(m_previous, m_current);
    m_hasBaseline = true;
}

} // namespace velto
