#include "TrayBusTypes.h"

#include <QDBusMetaType>

namespace velto::platform {

QDBusArgument& operator<<(QDBusArgument& argument, const TrayPixmap& pixmap) {
    argument.beginStructure();
    argument << pixmap.width << pixmap.height << pixmap.pixels;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, TrayPixmap& pixmap) {
    argument.beginStructure();
    argument >> pixmap.width >> pixmap.height >> pixmap.pixels;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const TrayToolTip& toolTip) {
    argument.beginStructure();
    argument << toolTip.iconName << toolTip.pixmaps << toolTip.title << toolTip.text;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, TrayToolTip& toolTip) {
    argument.beginStructure();
    argument >> toolTip.iconName >> toolTip.pixmaps >> toolTip.title >> toolTip.text;
    argument.endStructure();
    return argument;
}

} // namespace velto::platform

namespace velto::test {

void registerTrayTypes() {
    static const bool registered = [] {
        qDBusRegisterMetaType<platform::TrayPixmap>();
        qDBusRegisterMetaType<platform::TrayPixmapList>();
        qDBusRegisterMetaType<platform::TrayToolTip>();
        return true;
    }();
    (void)registered;
}

} // namespace velto::test
