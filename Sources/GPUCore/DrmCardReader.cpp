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

struct CloseDir {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

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

DrmCardReader::DrmCardReader(std::string sysfsRoot)
    : m_drmFolder(std::move(sysfsRoot) + "/class/drm") {}

std::optional<double> DrmCardReader::firstUtilization() {
    const std::unique_ptr<DIR, CloseDir> folder(::opendir(m_drmFolder.c_str()));
    if (!folder) {
        return std::nullopt;
    }
    m_cards.clear();
    while (const dirent* entry = ::readdir(folder.get())) {
        if (const std::optional<unsigned> number = DrmStatistics::cardNumber(entry->d_name)) {
            m_cards.push_back(*number);
        }
    }
    // The folder lists entries in no particular order; card numbers give a fixed one.
    std::sort(m_cards.begin(), m_cards.end());

    char path[64];
    char text[32];
    for (const unsigned card : m_cards) {
        std::snprintf(path, sizeof path, "card%u/device/gpu_busy_percent", card);
        const std::optional<std::string_view> content =
            readSmallFile(::dirfd(folder.get()), path, text);
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
