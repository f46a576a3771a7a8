#pragma once

#include <QString>

/**
 * The autosave names of velto's status items. Item positions are stored
 * under these names, so they must never change between releases.
 */
namespace velto::StatusItemNames {

/// "velto.widget." followed by @p widgetID, verbatim (dots and blanks included).
QString widget(const QString& widgetID);
/// The combined item: "velto.compact".
QString compact();
/// The gear item: "velto.settings".
QString settings();

} // namespace velto::StatusItemNames
