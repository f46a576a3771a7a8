#pragma once

#include <QColor>
#include <QFont>

namespace velto::NetworkGaugeStyle {

/// The download arrow's colour, the system blue.
QColor downloadColor();
/// The upload arrow's colour, the system orange.
QColor uploadColor();
/// The font of the rates at @p pixels: fixed-pitch, so that the padding RateFormat puts
/// into each text keeps it at one width from sample to sample.
QFont rateFont(const QFont& base, int pixels, QFont::Weight weight);

} // namespace velto::NetworkGaugeStyle
