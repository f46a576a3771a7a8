#pragma once

#include "GPUCore/DrmCardReader.h"
#include "GPUCore/GPUSnapshot.h"
#include "GPUCore/NvmlApi.h"
#include "GPUCore/NvmlReader.h"

#include <VeltoPluginKit/Observable.h>
#include <memory>
#include <optional>
#include <string>

namespace velto {

class RepeatingTimer;

/// Reads the GPU's utilization on a main-loop timer and publishes it as latest(). Shared
/// by the GPU widget and its views.
///
/// Each reading walks the accelerators in a fixed order, the DRM cards first and then
/// the NVIDIA GPUs, and keeps the first usable value; when none reports one the snapshot
/// carries no utilization. Every reading publishes, also when nothing changed.
class GPUMetricsSource : public Observable {
    Q_OBJECT
public:
    /// @p sysfsRoot is the folder mounted at /sys and @p nvmlLibrary the management
    /// library to load; tests point them at a fixture tree and a fake library.
    explicit GPUMetricsSource(std::string sysfsRoot = "/sys",
                              std::string nvmlLibrary = nvml::kDefaultLibrary);
    ~GPUMetricsSource() override;

    /// Starts, or restarts, sampling every @p interval seconds and takes one reading at
    /// once, so latest() is present on return. An interval that is not a positive number
    /// is taken as 1 second.
    void start(double interval);
    /// Stops sampling and gives back the NVIDIA library. latest() stays as it is.
    void stop();
    /// One reading: what the timer runs. Does nothing while the source is stopped.
    void tick();

    const std::optional<GPUSnapshot>& latest() const { return m_latest; }
    bool isRunning() const { return m_timer != nullptr; }
    bool holdsNvmlLibrary() const { return m_nvml.isLoaded(); }

private:
    std::optional<double> readUtilization();
    void takeReading();

    DrmCardReader m_drm;
    NvmlReader m_nvml;
    std::optional<GPUSnapshot> m_latest;
    std::unique_ptr<RepeatingTimer> m_timer;
};

} // namespace velto
