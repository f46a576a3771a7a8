// Code that must never run: tests swap it in for a verified plug-in's code
// after the seal was checked. Loading it at all sets VELTO_FIXTURE_INTRUDER_RAN.

#include <VeltoPluginKit/PluginClassTable.h>

namespace {

struct Announce {
    Announce() { qputenv("VELTO_FIXTURE_INTRUDER_RAN", "1"); }
} announce;

class FixturePluginMain final : public velto::PluginEntry {
public:
    velto::WidgetList makeWidgets() const override { return {}; }
};

} // namespace

VELTO_PLUGIN_CLASSES(VELTO_PLUGIN_CLASS(FixturePluginMain))
