#pragma once

#include "NetworkCore/InterfaceCounters.h"
#include "NetworkCore/Throughput.h"

#include <span>

namespace velto::ThroughputCalculator {

/**
 * Byte rates from two readings taken @p elapsed seconds apart.
 *
 * Only interfaces present in both readings count, matched by name (the last of a
 * repeated name in @p previous wins). A counter that went backwards, through a wrap
 * or a re-created link, counts 0 for that direction alone; readings of different
 * width count 0 in both. An @p elapsed that is not above 0 gives 0, 0 and no entries.
 */
Throughput throughput(std::span<const InterfaceCounters> previous,
                      std::span<const InterfaceCounters> current, double elapsed);

} // namespace velto::ThroughputCalculator
