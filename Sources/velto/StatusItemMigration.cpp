#include "StatusItemMigration.h"

#include "SettingsKeys.h"
#include "SettingsRules.h"

#include <Platform/UserDefaults.h>

namespace velto::StatusItemMigration {

namespace {

// Any Unicode decimal digit, as a regular expression's \d matches, including
// those outside the basic plane.
qsizetype trailingDigitsStart(QStringView key) {
    qsizetype start = key.size();
    while (start > 0) {
        const QChar last = key[start - 1];
        if (last.isLowSurrogate() && start > 1 && key[start - 2].isHighSurrogate()) {
            const char32_t code = QChar::surrogateToUcs4(key[start - 2], last);
            if (!QChar::isDigit(code))
                break;
            start -= 2;
        } else if (last.isDigit()) {
            start -= 1;
        } else {
            break;
        }
    }
    return start;
}

} // namespace

bool isLegacyKey(const QString& key) {
    if (!key.startsWith(QLatin1String("NSStatusItem ")))
        return false;
    const qsizetype digits = trailingDigitsStart(key);
    if (digits == key.size())
        return false;
    return QStringView(key).first(digits).endsWith(QLatin1String(" Item-"));
}

QStringList legacyKeys(const QStringList& keys) {
    QStringList legacy;
    for (const QString& key : keys) {
        if (isLegacyKey(key))
            legacy.append(key);
    }
    return legacy;
}

void run(platform::UserDefaults& defaults) {
    const QString flag = SettingsKeys::statusItemNamesMigrated();
    if (SettingsRules::objectAsBool(defaults.value(flag), false))
        return;
    bool removedAll = true;
    for (const QString& key : legacyKeys(defaults.dictionaryRepresentation().keys()))
        removedAll = defaults.removeValue(key) && removedAll;
    if (removedAll)
        defaults.setValue(flag, true);
}

} // namespace velto::StatusItemMigration
