#include "NetworkCore/NetworkGaugeStyle.h"

#include <QFontDatabase>

namespace velto::NetworkGaugeStyle {

QColor downloadColor() {
    return QColor(0, 122, 255);
}

QColor uploadColor() {
    return QColor(255, 149, 0);
}

QFont rateFont(const QFont& base, int pixels, QFont::Weight weight) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(pixels);
    font.setWeight(weight);
    font.setStyleStrategy(base.styleStrategy());
    return font;
}

} // namespace velto::NetworkGaugeStyle
