#include "GPUCore/DrmCardReader.h"

#include "GPUCore/DrmStatistics.h"
#include "GPUCore/GPUCalculator.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string_view>
#include <unistd.h>

namespace velto {
namespace {

// The file holds a percentage and a newline; anything longer is not a reading.
std::optional<std::string_view> readSmallFile(int folder, const char* path, char (&buffer)[32]) {
    const int fd = ::openat(folder, path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::size_t length = 0;
    bool failed = false;
    while (length < sizeof buffer) {
        const ssize_t got = ::read(fd, buffer + length, sizeof buffer - length);
        if (got > 0) {
            length += static_cast<std::size_t>(got);
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            failed = true;
            break;
        }
    }
    ::close(fd);
    if (failed || length == sizeof buffer) {
        return std::nullopt;
    }
    return std::string_view(buffer, length);
}

} // namespace

DrmCardReader::DrmCardReader(std::string sysfsRoot, Clock now)
    : m_drmFolder(std::move(sysfsRoot) + "/class/drm"), m_now(std::move(now)) {
    if (!m_now) {
        m_now = [] { return std::chrono::steady_clock::now(); };
    }
}

DIR* DrmCardReader::folder() {
    if (m_folder) {
        ::rewinddir(m_folder.get());
        return m_folder.get();
    }
    const auto now = m_now();
    if (m_missingSince && now - *m_missingSince < kMissingFolderRetry) {
        return nullptr;
    }
    m_folder.reset(::opendir(m_drmFolder.c_str()));
    if (!m_folder) {
        m_missingSince = now;
        return nullptr;
    }
    m_missingSince.reset();
    return m_folder.get();
}

std::optional<double> DrmCardReader::firstUtilization() {
    DIR* const drm = folder();
    if (!drm) {
        return std::nullopt;
    }
    m_cards.clear();
    while (const dirent* entry = ::readdir(drm)) {
        if (const std::optional<unsigned> number = DrmStatistics::cardNumber(entry->d_name)) {
            m_cards.push_back(*number);
        }
    }
    // A folder without cards may be one that went away with its driver: the next
    // walk opens it again rather than listing a dead folder for good.
    if (m_cards.empty()) {
        m_folder.reset();
        return std::nullopt;
    }
    // The folder lists entries in no particular order; card numbers give a fixed one.
    std::sort(m_cards.begin(), m_cards.end());

    char path[64];
    char text[32];
    for (const unsigned card : m_cards) {
        std::snprintf(path, sizeof path, "card%u/device/gpu_busy_percent", card);
        const std::optional<std::string_view> content = readSmallFile(::dirfd(drm), path, text);
        if (!content) {
            continue;
        }
        if (const std::optional<double> value =
                GPUCalculator::utilization(DrmStatistics::fromBusyPercent(*content))) {
            return value;
        }
    }
    return std::nullopt;
}

} // namespace velto
