// The classes the GPUGauge bundle offers the host, looked up by name.
#include "GPUPlugin/GPUGaugeAdapter.h"
#include "GPUPlugin/GPUPluginMain.h"

#include <VeltoPluginKit/PluginClassTable.h>

using velto::GPUGaugeAdapter;
using velto::GPUPluginMain;

VELTO_PLUGIN_CLASSES(VELTO_PLUGIN_CLASS(GPUPluginMain), VELTO_PLUGIN_CLASS(GPUGaugeAdapter))
