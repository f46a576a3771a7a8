#pragma once

#include <QString>
#include <VeltoPluginKit/VeltoPluginKitExport.h>
#include <string>

namespace velto {

/**
 * Numbers written with a fixed count of decimals, rounded as printf's "%.Nf"
 * rounds, but without its cost (it works in multiple precision and reads the
 * locale) in texts that change every second. The point is always ".", whatever
 * the locale, so a reading never changes its look with LC_NUMERIC. Pure.
 */
namespace FixedText {

/// @p value with @p decimals digits after the point, padded with spaces on
/// the left to at least @p width characters ("%*.*f").
VELTOPLUGINKIT_EXPORT std::string string(double value, int decimals, int width = 0);

/// The same as Latin-1 text.
VELTOPLUGINKIT_EXPORT QString text(double value, int decimals, int width = 0);

} // namespace FixedText
} // namespace velto
