#include <VeltoPluginKit/PublicIPToggleable.h>

namespace velto {

PublicIPToggleable::~PublicIPToggleable() = default;

} // namespace velto
