#pragma once

#include <QJsonObject>
#include <QString>
#include <optional>

namespace velto {

namespace platform {
class UserDefaults;
}

/// Whether the application offers updates, and which feed it reads.
namespace UpdateChannel {

/// The beta channel's appcast.
inline constexpr const char* kBetaFeedURL = "https://velto.org/beta/appcast.xml";
/// The standard-domain key that selects a channel; set from outside the application.
inline constexpr const char* kChannelKey = "updateChannel";
/// The Info dictionary key of the release feed.
inline constexpr const char* kFeedURLKey = "SUFeedURL";

QString betaFeedURL();

/**
 * True only outside smoke-test mode, with an Info dictionary that is present,
 * not empty, and holds a non-empty text under SUFeedURL.
 */
bool isEnabled(const std::optional<QJsonObject>& infoDictionary, bool isSmokeTest);

/**
 * The beta feed when "updateChannel" in @p defaults is exactly the text
 * "beta"; absent otherwise, so that the release feed of the Info dictionary is read.
 */
std::optional<QString> feedURLOverride(const platform::UserDefaults& defaults);

} // namespace UpdateChannel
} // namespace velto
