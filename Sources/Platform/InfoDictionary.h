#pragma once

#include <QByteArrayView>
#include <QJsonObject>
#include <QString>
#include <optional>

namespace velto::platform {

/**
 * A bundle's Info dictionary: the JSON object in Contents/Info.json, with its
 * value types kept as written (the number 1 and the text "1" differ).
 */
namespace InfoDictionary {

inline constexpr const char* kRelativePath = "Contents/Info.json";
/// Files larger than this are refused unread.
inline constexpr qint64 kMaxBytes = 1024 * 1024;

/// The object in @p bytes; absent when they are too large, not JSON, or not an object.
std::optional<QJsonObject> parse(QByteArrayView bytes);

/// The value of @p key when it is text; absent otherwise.
std::optional<QString> string(const QJsonObject& info, const QString& key);

} // namespace InfoDictionary
} // namespace velto::platform
