#include "GPUPlugin/GPUPluginMain.h"

#include "GPUPlugin/GPUGaugeAdapter.h"

namespace velto {

WidgetList GPUPluginMain::makeWidgets() const {
    return {std::make_shared<GPUGaugeAdapter>()};
}

} // namespace velto
