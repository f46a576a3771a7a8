#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QImage>
#include <QList>
#include <QMetaType>
#include <QString>

namespace velto::platform {

/// One image of a tray item as the tray protocol carries it: width, height
/// and ARGB32 pixels, each pixel in network byte order (A, R, G, B).
struct TrayPixmap {
    int width = 0;
    int height = 0;
    QByteArray pixels;

    /// From any image; straight (not premultiplied) alpha, as hosts expect.
    static TrayPixmap fromImage(const QImage& image);
    /// Back to an image; a null image when the byte count does not match the size.
    QImage toImage() const;

    bool operator==(const TrayPixmap&) const = default;
};
using TrayPixmapList = QList<TrayPixmap>;

/// A tray item's tool tip: icon name, images, title and text.
struct TrayToolTip {
    QString iconName;
    TrayPixmapList pixmaps;
    QString title;
    QString text;

    bool operator==(const TrayToolTip&) const = default;
};

/// Makes both types known to Qt's meta-type system and to QtDBus; safe to call repeatedly.
void registerTrayTypes();

QDBusArgument& operator<<(QDBusArgument& argument, const TrayPixmap& pixmap);
const QDBusArgument& operator>>(const QDBusArgument& argument, TrayPixmap& pixmap);
QDBusArgument& operator<<(QDBusArgument& argument, const TrayToolTip& toolTip);
const QDBusArgument& operator>>(const QDBusArgument& argument, TrayToolTip& toolTip);

} // namespace velto::platform

Q_DECLARE_METATYPE(velto::platform::TrayPixmap)
Q_DECLARE_METATYPE(velto::platform::TrayToolTip)
