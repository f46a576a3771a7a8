#include "Platform/StatusNotifierTypes.h"

#include <QtEndian>

namespace velto::platform {

TrayPixmap TrayPixmap::fromImage(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    TrayPixmap pixmap{argb.width(), argb.height(), {}};
    pixmap.pixels.resize(qsizetype(argb.width()) * argb.height() * 4);
    // An ARGB32 pixel is the word 0xAARRGGBB: in network byte order its bytes
    // are A, R, G, B, which is what the protocol wants.
    char* out = pixmap.pixels.data();
    const qsizetype rowBytes = qsizetype(argb.width()) * 4;
    for (int y = 0; y < argb.height(); ++y) {
        qToBigEndian<quint32>(argb.constScanLine(y), argb.width(), out);
        out += rowBytes;
    }
    return pixmap;
}

QImage TrayPixmap::toImage() const {
    if (width <= 0 || height <= 0 || pixels.size() != qsizetype(width) * height * 4)
        return {};
    QImage image(width, height, QImage::Format_ARGB32);
    const auto* in = reinterpret_cast<const unsigned char*>(pixels.constData());
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x, in += 4)
            line[x] = qRgba(in[1], in[2], in[3], in[0]);
    }
    return image;
}

} // namespace velto::platform
