#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
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

} // namespace velto::platform
