#pragma once

#include <QString>
#include <QStringList>

namespace velto::platform {

/**
 * The words a tray item carries beside its image, taken from the texts its
 * button shows. Pure.
 */
namespace TrayLabel {

/// The texts in reading order, blanks squeezed, empty ones left out, joined by one space.
QString text(const QStringList& texts);

/**
 * What a square icon has room for: the leading number of each text with the
 * first letter of its unit, if the unit is a letter ("37%" → "37",
 * "  1.5 KB/s " → "1.5K"). Texts without a number give nothing; at most
 * @p limit figures are kept.
 */
QStringList figures(const QStringList& texts, int limit = 2);

/**
 * The widest label expected, so that a host can keep the label's width
 * steady: @p text with every digit written as "8". It replaces @p previous
 * only when it is longer, so the guide never shrinks and never jitters.
 */
QString guide(const QString& text, const QString& previous);

} // namespace TrayLabel
} // namespace velto::platform
