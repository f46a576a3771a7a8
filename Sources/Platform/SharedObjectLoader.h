#pragma once

#include "Platform/Result.h"

#include <QByteArray>
#include <QString>

namespace velto::kit {
struct ClassTable;
}

namespace velto::platform {

/**
 * Loads plug-in code from bytes already in memory, so that what was hashed is
 * exactly what runs: the bytes go into a sealed anonymous memory file that
 * nobody can change, and the dynamic linker maps that file. Code is never
 * unloaded.
 */
namespace SharedObjectLoader {

/// Shared objects larger than this are refused unread.
inline constexpr qint64 kMaxObjectBytes = 512LL * 1024 * 1024;

/// An opaque handle of a loaded object.
struct LoadedObject {
    void* handle = nullptr;
};

/// Maps @p image, an ELF shared object; @p name only labels the memory file.
Result<LoadedObject> loadImage(const QByteArray& image, const QString& name);

/// The class table the object exports, or null when it has none of a known layout.
const kit::ClassTable* classTable(LoadedObject object);

} // namespace SharedObjectLoader
} // namespace velto::platform
