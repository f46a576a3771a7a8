#include "Platform/StatusBarButton.h"

namespace velto::platform {

StatusBarButton::~StatusBarButton() = default;

} // namespace velto::platform
