#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velto {

/// Walks the DRM cards under <sysfs root>/class/drm in card-number order and reads
/// each card's device/gpu_busy_percent, which amdgpu and i915/xe provide.
class DrmCardReader {
public:
    /// @p sysfsRoot is the folder mounted at /sys, or a fixture tree in tests.
    explicit DrmCardReader(std::string sysfsRoot);

    /// The busy fraction of the first card with a usable reading; absent when the
    /// folder is missing or no card reports one.
    std::optional<double> firstUtilization();

private:
    std::string m_drmFolder;
    // Kept between walks so that a walk allocates nothing once the card count is known.
    std::vector<unsigned> m_cards;
};

} // namespace velto
