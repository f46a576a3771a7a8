#include <VeltoPluginKit/VeltoWidget.h>

namespace velto {

// Out of line so that the vtable and type information live in the kit alone,
// which keeps dynamic_cast working across the host and every plug-in.
VeltoWidget::~VeltoWidget() = default;

} // namespace velto
