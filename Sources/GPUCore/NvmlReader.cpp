#include "GPUCore/NvmlReader.h"

#include "GPUCore/GPUCalculator.h"
#include "GPUCore/NvmlLibrary.h"

namespace velto {

NvmlReader::NvmlReader(std::string libraryPath) : m_libraryPath(std::move(libraryPath)) {}

NvmlReader::~NvmlReader() = default;

void NvmlReader::release() {
    m_library.reset();
    m_nextAttempt.reset();
}

std::optional<double> NvmlReader::firstUtilization() {
    if (!m_library) {
        // A machine without the library would otherwise search the linker's paths on
        // every tick.
        if (m_nextAttempt && Clock::now() < *m_nextAttempt) {
            return std::nullopt;
        }
        m_library = NvmlLibrary::open(m_libraryPath);
        if (!m_library) {
            m_nextAttempt = Clock::now() + kRetryDelay;
            return std::nullopt;
        }
        m_nextAttempt.reset();
    }
    const std::optional<unsigned> count = m_library->deviceCount();
    if (!count) {
        // The driver went away under the session; start over with a fresh one later.
        m_library.reset();
        m_nextAttempt = Clock::now() + kRetryDelay;
        return std::nullopt;
    }
    for (unsigned index = 0; index < *count; ++index) {
        if (const std::optional<double> value =
                GPUCalculator::utilization(m_library->statistics(index))) {
            return value;
        }
    }
    return std::nullopt;
}

} // namespace velto
