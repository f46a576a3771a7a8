#include "Platform/JsonObject.h"

#include <QJsonDocument>
#include <QJsonParseError>

namespace velto::platform {

std::optional<QJsonObject> parseJsonObject(QByteArrayView bytes, qint64 maxBytes) {
    if (bytes.size() > maxBytes)
        return std::nullopt;
    QJsonParseError error{};
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray::fromRawData(bytes.data(), bytes.size()), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

} // namespace velto::platform
