#pragma once

#include <QByteArrayView>
#include <QJsonObject>
#include <optional>

namespace velto::platform {

/// The JSON object in @p bytes; absent when they exceed @p maxBytes, are not JSON, or hold no
/// object.
std::optional<QJsonObject> parseJsonObject(QByteArrayView bytes, qint64 maxBytes);

} // namespace velto::platform
