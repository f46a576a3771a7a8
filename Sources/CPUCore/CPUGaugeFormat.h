#pragma once

#include <QColor>
#include <QString>
#include <cstddef>

namespace velto {

/// How loaded a fraction reads: the colour band of the CPU texts and bars.
enum class LoadLevel {
    Normal,   ///< below 0.75: the primary text colour
    Elevated, ///< from 0.75: orange
    Critical, ///< from 0.9: red
};

/// The texts and colour bands of the CPU views, from fractions in [0, 1].
/// Percentages round like printf's "%.0f": to nearest, halfway cases to even.
namespace CPUGaugeFormat {

LoadLevel loadLevel(double fraction);
/// The colour of @p level: @p primary for Normal, the system orange and red otherwise.
QColor loadColor(LoadLevel level, const QColor& primary);
/// "%3.0f%%" of fraction × 100: "  0%", " 42%", "100%".
QString percent(double fraction);
/// "Total  %.0f%%" of fraction × 100, two spaces after the word.
QString total(double fraction);
/// "Core 1" for index 0.
QString coreLabel(std::size_t index);
/// What the detail view shows before the first snapshot.
QString waitingText();

} // namespace CPUGaugeFormat
} // namespace velto
