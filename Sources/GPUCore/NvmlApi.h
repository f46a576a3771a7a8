#pragma once

// The few calls of NVIDIA's management library that the GPU gauge makes, declared here so
// that nothing is needed at build time: the library is loaded at run time, and only
// where it is installed. Every call returns 0 on success and an error code otherwise.
namespace velto::nvml {

using Return = int;
inline constexpr Return kSuccess = 0;

struct DeviceRecord;
using Device = DeviceRecord*;

/// Percent of the last sample period in which a kernel ran, and in which memory was
/// read or written.
struct Utilization {
    unsigned int gpu;
    unsigned int memory;
};

using InitFunction = Return (*)();
using ShutdownFunction = Return (*)();
using DeviceGetCountFunction = Return (*)(unsigned int* count);
using DeviceGetHandleByIndexFunction = Return (*)(unsigned int index, Device* device);
using DeviceGetUtilizationRatesFunction = Return (*)(Device device, Utilization* utilization);

inline constexpr const char* kDefaultLibrary = "libnvidia-ml.so.1";

} // namespace velto::nvml
