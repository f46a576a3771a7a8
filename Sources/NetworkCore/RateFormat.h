#pragma once

#include <string>

namespace velto::RateFormat {

/**
 * A rate in bytes per second as "%5.1f " and a unit padded to five characters,
 * stepping by 1024 from "B/s" up to "TB/s": "  0.0 B/s  ", "  1.5 KB/s ".
 * Eleven characters while the number has at most three digits before the point;
 * from 999.95 of a unit up to the next unit, and past 1023.95 TB/s, it is wider.
 * A rate that is 0 or below, or not a number at all, shows as 0.
 */
std::string string(double bytesPerSecond);

} // namespace velto::RateFormat
