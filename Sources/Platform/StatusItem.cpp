#include "Platform/StatusItem.h"

namespace velto::platform {

StatusItem::~StatusItem() = default;

} // namespace velto::platform
