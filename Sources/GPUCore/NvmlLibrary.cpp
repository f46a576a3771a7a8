#include "GPUCore/NvmlLibrary.h"

#include "GPUCore/GPUCalculator.h"

#include <dlfcn.h>

namespace velto {
namespace {

// The versioned names first; drivers before their introduction have only the plain ones.
template <typename Function>
Function lookUp(void* handle, const char* versioned, const char* plain = nullptr) {
    void* symbol = ::dlsym(handle, versioned);
    if (!symbol && plain) {
        symbol = ::dlsym(handle, plain);
    }
    return reinterpret_cast<Function>(symbol);
}

} // namespace

std::unique_ptr<NvmlLibrary> NvmlLibrary::open(const std::string& path) {
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        return nullptr;
    }
    // From here on the destructor gives the handle back, on every path out.
    std::unique_ptr<NvmlLibrary> library(new NvmlLibrary(handle));
    const auto init = lookUp<nvml::InitFunction>(handle, "nvmlInit_v2", "nvmlInit");
    library->m_shutdown = lookUp<nvml::ShutdownFunction>(handle, "nvmlShutdown");
    library->m_deviceGetCount =
        lookUp<nvml::DeviceGetCountFunction>(handle, "nvmlDeviceGetCount_v2", "nvmlDeviceGetCount");
    library->m_deviceGetHandleByIndex = lookUp<nvml::DeviceGetHandleByIndexFunction>(
        handle, "nvmlDeviceGetHandleByIndex_v2", "nvmlDeviceGetHandleByIndex");
    library->m_deviceGetUtilizationRates =
        lookUp<nvml::DeviceGetUtilizationRatesFunction>(handle, "nvmlDeviceGetUtilizationRates");
    if (!init || !library->m_shutdown || !library->m_deviceGetCount ||
        !library->m_deviceGetHandleByIndex || !library->m_deviceGetUtilizationRates) {
        return nullptr;
    }
    if (init() != nvml::kSuccess) {
        return nullptr;
    }
    library->m_initialised = true;
    return library;
}

NvmlLibrary::NvmlLibrary(void* handle) : m_handle(handle) {}

NvmlLibrary::~NvmlLibrary() {
    if (m_initialised) {
        m_shutdown();
    }
    ::dlclose(m_handle);
}

std::optional<unsigned> NvmlLibrary::deviceCount() const {
    unsigned int count = 0;
    if (m_deviceGetCount(&count) != nvml::kSuccess) {
        return std::nullopt;
    }
    return count;
}

QVariantMap NvmlLibrary::statistics(unsigned index) const {
    // Device handles belong to the library's session; there is nothing to give back.
    nvml::Device device = nullptr;
    nvml::Utilization rates{};
    if (m_deviceGetHandleByIndex(index, &device) != nvml::kSuccess ||
        m_deviceGetUtilizationRates(device, &rates) != nvml::kSuccess) {
        return {};
    }
    return {{GPUCalculator::utilizationKey(), QVariant::fromValue(rates.gpu)}};
}

} // namespace velto
