#pragma once

#include <VeltoPluginKit/VeltoWidget.h>

namespace velto {

/**
 * Adopted by a bundle's principal class.
 *
 * The host never constructs the principal class: the class table (see
 * PluginClassTable.h) hands it the class's one shared class object, and
 * makeWidgets() plays the role of a class-level operation. Implementations must
 * therefore keep no state of their own.
 */
class VELTOPLUGINKIT_EXPORT PluginEntry {
public:
    virtual ~PluginEntry();

    /// The bundle's widgets in its own order, possibly none. Each call makes new widgets.
    virtual WidgetList makeWidgets() const = 0;

protected:
    PluginEntry() = default;
    PluginEntry(const PluginEntry&) = delete;
    PluginEntry& operator=(const PluginEntry&) = delete;
};

} // namespace velto
