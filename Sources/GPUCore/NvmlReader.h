#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace velto {

class NvmlLibrary;

/// Walks the NVIDIA GPUs in NVML's order. The library is loaded on the first walk that
/// reaches it and kept for the walks that follow, since initialising it opens the
/// driver's devices and takes far longer than a reading; release() gives it back.
class NvmlReader {
public:
    /// How long a failed load or a lost driver waits before the next attempt.
    static constexpr std::chrono::seconds kRetryDelay{30};

    /// @p libraryPath is libnvidia-ml.so.1 unless a test gives another library.
    explicit NvmlReader(std::string libraryPath);
    ~NvmlReader();

    NvmlReader(const NvmlReader&) = delete;
    NvmlReader& operator=(const NvmlReader&) = delete;

    /// The busy fraction of the first GPU with a usable reading; absent when the
    /// library is missing or failing, or no GPU reports one.
    std::optional<double> firstUtilization();
    /// Shuts the library down and unloads it; the next walk loads it again at once.
    void release();
    bool isLoaded() const { return m_library != nullptr; }

private:
    using Clock = std::chrono::steady_clock;

    std::string m_libraryPath;
    std::unique_ptr<NvmlLibrary> m_library;
    std::optional<Clock::time_point> m_nextAttempt;
};

} // namespace velto
