#include "NetworkPlugin/NetworkPluginMain.h"

#include "NetworkPlugin/NetworkGaugeAdapter.h"

namespace velto {

WidgetList NetworkPluginMain::makeWidgets() const {
    return {std::make_shared<NetworkGaugeAdapter>()};
}

} // namespace velto
