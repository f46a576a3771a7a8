#pragma once

#include <QStringList>
#include <VeltoPluginKit/VeltoPluginKitExport.h>

class QLabel;
class QWidget;

namespace velto {

/**
 * The layout of a one-line menu-bar reading: a small symbol, then its value.
 * Sizes are in logical pixels, the unit of the menu bar's geometry.
 */
namespace MenuBarReadingLayout {

/// The side of the symbol beside the value.
inline constexpr int kIconPixels = 13;

/**
 * Gives @p view the reading's font and lays out @p icon (kIconPixels square)
 * and then @p value, right-aligned in a frame whose width stays steady: 30,
 * or wider where the font needs more for one of @p widestTexts.
 */
VELTOPLUGINKIT_EXPORT void apply(QWidget& view, QWidget& icon, QLabel& value,
                                 const QStringList& widestTexts);

} // namespace MenuBarReadingLayout
} // namespace velto
