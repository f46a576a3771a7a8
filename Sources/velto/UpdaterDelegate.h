#pragma once

#include <Platform/Updater.h>

namespace velto {

namespace platform {
class UserDefaults;
}

/// Chooses the feed for each check from the update channel in the standard domain.
class UpdaterDelegate final : public platform::UpdaterDelegate {
public:
    /// @p defaults is the standard domain, also in smoke-test mode; it must outlive the delegate.
    explicit UpdaterDelegate(platform::UserDefaults& defaults);

    /// UpdateChannel::feedURLOverride of the delegate's domain.
    std::optional<QString> feedURLString(const platform::Updater& updater) override;

    platform::UserDefaults& defaults() const { return m_defaults; }

private:
    platform::UserDefaults& m_defaults;
};

} // namespace velto
