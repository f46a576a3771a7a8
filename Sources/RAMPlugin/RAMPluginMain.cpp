#include "RAMPlugin/RAMPluginMain.h"

#include "RAMPlugin/RAMGaugeAdapter.h"

namespace velto {

WidgetList RAMPluginMain::makeWidgets() const {
    return {std::make_shared<RAMGaugeAdapter>()};
}

} // namespace velto
