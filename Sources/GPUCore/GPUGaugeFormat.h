#pragma once

#include <QString>
#include <optional>

/// The texts of the GPU views, from a utilization fraction in [0, 1] that may be
/// absent. Percentages round like printf's "%.0f": to nearest, halfway cases to even.
namespace velto::GPUGaugeFormat {

/// "%3.0f%%" of fraction × 100 ("  0%", " 37%", "100%"); without a value two spaces,
/// an em dash and a space, so that the dash stands where the figure's last digit would.
QString menuBarText(std::optional<double> fraction);
/// "Utilization  %.0f%%" of fraction × 100, two spaces after the word.
QString utilizationText(double fraction);
/// The line the detail view shows when no accelerator reports a value.
QString notReportedText();
/// The caption below it that says why that happens.
QString notReportedExplanation();

} // namespace velto::GPUGaugeFormat
