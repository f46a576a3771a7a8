// A stand-in for NVIDIA's management library that the GPU tests load in its place.
// VELTO_FAKE_NVML, read on every call, says what it reports: "init-fails",
// "count-fails", or one GPU per comma-separated entry, a utilization in percent or
// "x" for a GPU without the counter. Built with VELTO_FAKE_NVML_INCOMPLETE it lacks
// the utilization call.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

int g_sessions = 0;
int g_initCalls = 0;
char g_devices[16]; // a GPU's handle points at its own byte

std::string mode() {
    const char* value = std::getenv("VELTO_FAKE_NVML");
    return value ? value : "";
}

std::vector<std::string> gpus() {
    std::vector<std::string> entries;
    const std::string text = mode();
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find(',', start), text.size());
        entries.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    entries.resize(std::min(entries.size(), sizeof g_devices));
    return entries;
}

} // namespace

FAKE_EXPORT int fakeNvmlSessions() {
    return g_sessions;
}
FAKE_EXPORT int fakeNvmlInitCalls() {
    return g_initCalls;
}

FAKE_EXPORT int nvmlInit_v2() {
    ++g_initCalls;
    if (mode() == "init-fails") {
        return 9; // driver not loaded
    }
    ++g_sessions;
    return 0;
}

FAKE_EXPORT int nvmlShutdown() {
    if (g_sessions == 0) {
        return 1; // not initialised
    }
    --g_sessions;
    return 0;
}

FAKE_EXPORT int nvmlDeviceGetCount_v2(unsigned int* count) {
    if (g_sessions == 0 || mode() == "count-fails") {
        return 999;
    }
    *count = static_cast<unsigned int>(gpus().size());
    return 0;
}

FAKE_EXPORT int nvmlDeviceGetHandleByIndex_v2(unsigned int index, char** device) {
    if (g_sessions == 0 || index >= gpus().size()) {
        return 2; // invalid argument
    }
    *device = &g_devices[index];
    return 0;
}

#ifndef VELTO_FAKE_NVML_INCOMPLETE
FAKE_EXPORT int nvmlDeviceGetUtilizationRates(char* device, unsigned int* rates) {
    const std::vector<std::string> entries = gpus();
    const auto index = static_cast<std::size_t>(device - g_devices);
    if (g_sessions == 0 || index >= entries.size() || entries[index] == "x") {
        return 3; // not supported
    }
    rates[0] = static_cast<unsigned int>(std::strtoul(entries[index].c_str(), nullptr, 10));
    rates[1] = 0; // memory
    return 0;
}
#endif
