#pragma once

#include "GPUCore/NvmlApi.h"

#include <QVariantMap>
#include <memory>
#include <optional>
#include <string>

namespace velto {

/// One loaded and initialised copy of NVIDIA's management library. Destroying it shuts
/// the library down and unloads it.
class NvmlLibrary {
public:
    /// Loads @p path and initialises it; null when the file is missing, lacks one of
    /// the calls, or fails to initialise, with nothing left loaded.
    static std::unique_ptr<NvmlLibrary> open(const std::string& path);
    ~NvmlLibrary();

    NvmlLibrary(const NvmlLibrary&) = delete;
    NvmlLibrary& operator=(const NvmlLibrary&) = delete;

    /// The number of GPUs; absent when the library cannot count them (driver gone).
    std::optional<unsigned> deviceCount() const;
    /// The statistics dictionary of GPU @p index, with its utilization under
    /// "Device Utilization %"; empty when that GPU cannot be asked.
    QVariantMap statistics(unsigned index) const;

private:
    explicit NvmlLibrary(void* handle);

    void* m_handle;
    nvml::ShutdownFunction m_shutdown = nullptr;
    nvml::DeviceGetCountFunction m_deviceGetCount = nullptr;
    nvml::DeviceGetHandleByIndexFunction m_deviceGetHandleByIndex = nullptr;
    nvml::DeviceGetUtilizationRatesFunction m_deviceGetUtilizationRates = nullptr;
    bool m_initialised = false;
};

} // namespace velto
