// The classes the NetworkGauge bundle offers the host, looked up by name.
#include "NetworkPlugin/NetworkGaugeAdapter.h"
#include "NetworkPlugin/NetworkPluginMain.h"

#include <VeltoPluginKit/PluginClassTable.h>

using velto::NetworkGaugeAdapter;
using velto::NetworkPluginMain;

VELTO_PLUGIN_CLASSES(VELTO_PLUGIN_CLASS(NetworkPluginMain), VELTO_PLUGIN_CLASS(NetworkGaugeAdapter))
