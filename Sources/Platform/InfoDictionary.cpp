#include "Platform/InfoDictionary.h"

#include <QJsonDocument>
#include <QJsonParseError>

namespace velto::platform::InfoDictionary {

std::optional<QJsonObject> parse(QByteArrayView bytes)
{
    if (bytes.size() > kMaxBytes)
        return std::nullopt;
    QJsonParseError error{};
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray::fromRawData(bytes.data(), bytes.size()), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

std::optional<QString> string(const QJsonObject& info, const QString& key)
{
    const QJsonValue value = info.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

} // namespace velto::platform::InfoDictionary
