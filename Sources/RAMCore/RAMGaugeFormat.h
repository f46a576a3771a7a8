#pragma once

#include <QString>

/// The RAM views' own texts; the percentages, load colours and the waiting text are
/// those of CPUGaugeFormat.
namespace velto::RAMGaugeFormat {

/// "Used  %.0f%%" of fraction × 100, two spaces after the word.
QString used(double fraction);

} // namespace velto::RAMGaugeFormat
