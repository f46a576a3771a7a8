#pragma once

#include <VeltoPluginKit/PluginEntry.h>

namespace velto {

/// The GPUGauge bundle's principal class: it makes the one GPU widget.
class GPUPluginMain : public PluginEntry {
public:
    WidgetList makeWidgets() const override;
};

} // namespace velto
