#pragma once

#include <chrono>
#include <dirent.h>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velto {

/// Walks the DRM cards under <sysfs root>/class/drm in card-number order and reads
/// each card's device/gpu_busy_percent, which amdgpu and i915/xe provide.
///
/// The folder stays open between walks and is listed again from its start, so a
/// walk does not look its path up each time; cards that come and go still show.
/// Where the folder is missing (no graphics driver, as in many virtual machines)
/// it is looked for again only every kMissingFolderRetry.
class DrmCardReader {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    static constexpr std::chrono::seconds kMissingFolderRetry{30};

    /// @p sysfsRoot is the folder mounted at /sys, or a fixture tree in tests;
    /// @p now is the steady clock unless a test gives its own.
    explicit DrmCardReader(std::string sysfsRoot, Clock now = {});

    /// The busy fraction of the first card with a usable reading; absent when the
    /// folder is missing or no card reports one.
    std::optional<double> firstUtilization();

private:
    struct CloseDir {
        void operator()(DIR* dir) const { ::closedir(dir); }
    };

    /// The open folder, listed from its start; null while it cannot be opened.
    DIR* folder();

    std::string m_drmFolder;
    Clock m_now;
    std::unique_ptr<DIR, CloseDir> m_folder;
    std::optional<std::chrono::steady_clock::time_point> m_missingSince;
    // Kept between walks so that a walk allocates nothing once the card count is known.
    std::vector<unsigned> m_cards;
};

} // namespace velto
