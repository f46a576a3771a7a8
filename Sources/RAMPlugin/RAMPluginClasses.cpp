// The classes the RAMGauge bundle offers the host, looked up by name.
#include "RAMPlugin/RAMGaugeAdapter.h"
#include "RAMPlugin/RAMPluginMain.h"

#include <VeltoPluginKit/PluginClassTable.h>

using velto::RAMGaugeAdapter;
using velto::RAMPluginMain;

VELTO_PLUGIN_CLASSES(VELTO_PLUGIN_CLASS(RAMPluginMain), VELTO_PLUGIN_CLASS(RAMGaugeAdapter))
