#pragma once

#include <VeltoPluginKit/PluginEntry.h>

namespace velto {

/// The NetworkGauge bundle's principal class: it makes the one network widget.
class NetworkPluginMain : public PluginEntry {
public:
    WidgetList makeWidgets() const override;
};

} // namespace velto
