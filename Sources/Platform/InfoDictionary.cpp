#include "Platform/InfoDictionary.h"

#include "Platform/JsonObject.h"

namespace velto::platform::InfoDictionary {

std::optional<QJsonObject> parse(QByteArrayView bytes) {
    return parseJsonObject(bytes, kMaxBytes);
}

std::optional<QString> string(const QJsonObject& info, const QString& key) {
    const QJsonValue value = info.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

} // namespace velto::platform::InfoDictionary
