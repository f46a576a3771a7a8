#include "StatusItemNames.h"

namespace velto::StatusItemNames {

QString widget(const QString& widgetID) {
    return QStringLiteral("velto.widget.") + widgetID;
}

QString compact() {
    return QStringLiteral("velto.compact");
}

QString settings() {
    return QStringLiteral("velto.settings");
}

} // namespace velto::StatusItemNames
