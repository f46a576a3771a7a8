#pragma once

#include <VeltoPluginKit/PluginEntry.h>

namespace velto {

/// The CPUGauge bundle's principal class: it makes the one CPU widget.
class CPUPluginMain : public PluginEntry {
public:
    WidgetList makeWidgets() const override;
};

} // namespace velto
