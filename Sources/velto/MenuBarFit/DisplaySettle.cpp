#include "MenuBarFit/DisplaySettle.h"

namespace velto {

bool DisplaySettle::isSettled(double now) const {
    return !lastChange || now - *lastChange >= quietPeriod;
}

} // namespace velto
