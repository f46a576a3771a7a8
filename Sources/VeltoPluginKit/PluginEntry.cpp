#include <VeltoPluginKit/PluginEntry.h>

namespace velto {

PluginEntry::~PluginEntry() = default;

} // namespace velto
