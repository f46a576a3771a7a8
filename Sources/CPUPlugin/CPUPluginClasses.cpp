// The classes the CPUGauge bundle offers the host, looked up by name.
#include "CPUPlugin/CPUGaugeAdapter.h"
#include "CPUPlugin/CPUPluginMain.h"

#include <VeltoPluginKit/PluginClassTable.h>

using velto::CPUGaugeAdapter;
using velto::CPUPluginMain;

VELTO_PLUGIN_CLASSES(VELTO_PLUGIN_CLASS(CPUPluginMain), VELTO_PLUGIN_CLASS(CPUGaugeAdapter))
