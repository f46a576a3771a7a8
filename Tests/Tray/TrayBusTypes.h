#pragma once

#include <Platform/StatusNotifierTypes.h>
#include <QDBusArgument>
#include <QMetaType>

// The tray's images and tool tip as a host reads them through QtDBus.

namespace velto::platform {

QDBusArgument& operator<<(QDBusArgument& argument, const TrayPixmap& pixmap);
const QDBusArgument& operator>>(const QDBusArgument& argument, TrayPixmap& pixmap);
QDBusArgument& operator<<(QDBusArgument& argument, const TrayToolTip& toolTip);
const QDBusArgument& operator>>(const QDBusArgument& argument, TrayToolTip& toolTip);

} // namespace velto::platform

namespace velto::test {

/// Makes both types known to Qt's meta-type system and to QtDBus; safe to call repeatedly.
void registerTrayTypes();

} // namespace velto::test

Q_DECLARE_METATYPE(velto::platform::TrayPixmap)
Q_DECLARE_METATYPE(velto::platform::TrayToolTip)
