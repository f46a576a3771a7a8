#include "UpdateChannel.h"

#include <Platform/InfoDictionary.h>
#include <Platform/UserDefaults.h>

namespace velto::UpdateChannel {

QString betaFeedURL() {
    return QString::fromLatin1(kBetaFeedURL);
}

bool isEnabled(const std::optional<QJsonObject>& infoDictionary, bool isSmokeTest) {
    if (isSmokeTest || !infoDictionary || infoDictionary->isEmpty())
        return false;
    const std::optional<QString> feed =
        platform::InfoDictionary::string(*infoDictionary, QString::fromLatin1(kFeedURLKey));
    return feed && !feed->isEmpty();
}

std::optional<QString> feedURLOverride(const platform::UserDefaults& defaults) {
    const std::optional<QJsonValue> channel = defaults.value(QString::fromLatin1(kChannelKey));
    if (!channel || !channel->isString())
        return std::nullopt;
    if (channel->toString() == QLatin1String("beta"))
        return betaFeedURL();
    return std::nullopt;
}

} // namespace velto::UpdateChannel
