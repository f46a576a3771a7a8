#include "CPUPlugin/CPUPluginMain.h"

#include "CPUPlugin/CPUGaugeAdapter.h"

namespace velto {

WidgetList CPUPluginMain::makeWidgets() const {
    return {std::make_shared<CPUGaugeAdapter>()};
}

} // namespace velto
