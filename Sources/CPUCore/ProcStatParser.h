#pragma once

#include "CPUCore/CPUReading.h"

#include <optional>
#include <string_view>

namespace velto::ProcStatParser {

/// Reads the cpuN lines of a /proc/stat text into @p reading, reusing its storage.
///
/// Per processor: user = user, system = system + irq + softirq + steal,
/// idle = idle + iowait, nice = nice, each cut to 32 bits. Guest time is already
/// part of user and nice and is not added again. Fields that older kernels do not
/// print count 0. Returns false, with @p reading in no useful state, when the text has
/// no aggregate "cpu" line, a cpuN line has fewer than four counters or one that is
/// not a number of at most 64 bits, or the processor numbers do not ascend.
bool parse(std::string_view text, CPUReading& reading);

/// As above, into a new reading; absent when the text is not a usable /proc/stat.
std::optional<CPUReading> parse(std::string_view text);

} // namespace velto::ProcStatParser
