#pragma once

#include <QStringList>

namespace velto {

namespace platform {
class UserDefaults;
}

/**
 * Removes, once per settings domain, the stored places of status items that
 * were saved under the default item names ("Item-0", "Item-1", ...) before
 * every item had an autosave name of its own.
 */
namespace StatusItemMigration {

/**
 * True for a key that begins with "NSStatusItem " and ends with " Item-"
 * followed by one or more decimal digits.
 */
bool isLegacyKey(const QString& key);

/// The legacy keys among @p keys, in their given order.
QStringList legacyKeys(const QStringList& keys);

/**
 * Unless "statusItemNamesMigrated" already reads as true, removes every
 * legacy key from @p defaults and then stores the flag as true, also when
 * there was nothing to remove. The flag is left unset when a removal could
 * not be written, so that the next start tries again.
 */
void run(platform::UserDefaults& defaults);

} // namespace StatusItemMigration
} // namespace velto
