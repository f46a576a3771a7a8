#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>
#include <VeltoPluginKit/VeltoPluginKitExport.h>

namespace velto {

/**
 * The small monochrome symbols that views place beside their texts ("cpu",
 * "memorychip", "network", "arrow.down", "arrow.up", "gearshape"), drawn with
 * QPainter on a 16 x 16 grid and tinted with a colour.
 */
namespace SystemSymbol {

/// True when @p name is one of the symbols this kit draws.
VELTOPLUGINKIT_EXPORT bool exists(const QString& name);

/// The symbol at @p pointSize (square) for @p devicePixelRatio, tinted with @p color.
/// An unknown name gives a transparent pixmap of the same size.
VELTOPLUGINKIT_EXPORT QPixmap pixmap(const QString& name, int pointSize, const QColor& color,
                                     qreal devicePixelRatio = 1.0);

} // namespace SystemSymbol
} // namespace velto
