#include "UpdaterDelegate.h"

#include "UpdateChannel.h"

namespace velto {

UpdaterDelegate::UpdaterDelegate(platform::UserDefaults& defaults) : m_defaults(defaults) {}

std::optional<QString> UpdaterDelegate::feedURLString(const platform::Updater&) {
    return UpdateChannel::feedURLOverride(m_defaults);
}

} // namespace velto
