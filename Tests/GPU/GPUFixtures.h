#pragma once

#include "Support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <dlfcn.h>
#include <map>
#include <optional>
#include <string>

namespace velto::test {

/// Writes, replaces or (with no text) removes the device/gpu_busy_percent of one
/// class/drm entry in the sysfs tree at @p root.
inline void setBusyPercent(const QString& root, const std::string& entry,
                           const std::optional<std::string>& text) {
    const QString device = root + QStringLiteral("/class/drm/%1/device").arg(entry.c_str());
    QDir().mkpath(device);
    QFile file(device + QStringLiteral("/gpu_busy_percent"));
    if (!text) {
        file.remove();
    } else if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(text->c_str());
    }
}

/// A sysfs tree in a new temporary folder: one class/drm entry per element, with its
/// busy file's text or none.
inline QString makeSysfsTree(const std::map<std::string, std::optional<std::string>>& entries) {
    const QString root = makeTempFolder(QStringLiteral("sys"));
    QDir().mkpath(root + QStringLiteral("/class/drm"));
    for (const auto& [name, text] : entries) {
        setBusyPercent(root, name, text);
    }
    return root;
}

/// True when @p path is loaded in this process by anyone.
inline bool isLoaded(const char* path) {
    void* handle = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    if (handle) {
        dlclose(handle);
    }
    return handle != nullptr;
}

/// Keeps the fake NVIDIA library loaded, so that its counters outlive the source's
/// own loading and unloading.
struct FakeNvmlProbe {
    explicit FakeNvmlProbe(const char* path) : handle(dlopen(path, RTLD_NOW)) {}
    ~FakeNvmlProbe() { dlclose(handle); }
    int sessions() const {
        return reinterpret_cast<int (*)()>(dlsym(handle, "fakeNvmlSessions"))();
    }
    int initCalls() const {
        return reinterpret_cast<int (*)()>(dlsym(handle, "fakeNvmlInitCalls"))();
    }
    void* handle;
};

} // namespace velto::test
