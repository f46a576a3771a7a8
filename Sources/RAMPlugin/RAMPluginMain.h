#pragma once

#include <VeltoPluginKit/PluginEntry.h>

namespace velto {

/// The RAMGauge bundle's principal class: it makes the one RAM widget.
class RAMPluginMain : public PluginEntry {
public:
    WidgetList makeWidgets() const override;
};

} // namespace velto
