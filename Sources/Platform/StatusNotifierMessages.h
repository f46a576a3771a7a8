#pragma once

#include "Platform/StatusNotifierTypes.h"

#include <QString>
#include <dbus/dbus.h>
#include <string_view>

namespace velto::platform {

/**
 * The org.kde.StatusNotifierItem interface as it travels: property values,
 * their replies and the introspection data, written with libdbus so that a
 * reply can be built once and sent to every host that asks.
 */
namespace StatusNotifierMessages {

inline constexpr const char* kInterface = "org.kde.StatusNotifierItem";
inline constexpr const char* kObjectPath = "/StatusNotifierItem";

/// What an item shows; the interface's other properties are fixed.
struct Properties {
    QString id;
    QString category = QStringLiteral("Hardware");
    QString title;
    QString status = QStringLiteral("Active");
    TrayPixmapList icon;
    QString label;
    QString labelGuide;
    TrayToolTip toolTip;
};

/// Appends the value of the property @p name as a variant; false, with
/// nothing appended, for a name the interface does not have.
bool appendProperty(DBusMessageIter* iter, const Properties& properties, std::string_view name);
/// The answer to the Properties.GetAll @p call; null without memory.
DBusMessage* newGetAllReply(DBusMessage* call, const Properties& properties);
/// A copy of the answer @p reply, sent or not, addressed as the answer to
/// @p call instead: the same properties for another host, without building
/// them again. Null without memory.
DBusMessage* forReply(const DBusMessage* reply, DBusMessage* call);

/// Appends @p text as a string, in UTF-8.
bool appendString(DBusMessageIter* iter, const QString& text);

/// The object's org.freedesktop.DBus.Introspectable data.
const char* introspection();

} // namespace StatusNotifierMessages

} // namespace velto::platform
