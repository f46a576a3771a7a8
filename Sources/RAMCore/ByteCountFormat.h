#pragma once

#include <QString>
#include <cstdint>

namespace velto::ByteCountFormat {

/// A memory size in units that step by 1024: "0 bytes", "1 byte", "1023 bytes",
/// "512 KiB", "1.5 MiB", "7.75 GiB". KiB are whole, MiB carry one decimal and larger
/// units two, without trailing zeros; a figure that rounds up to 1024 of a unit is
/// shown in the next one. The decimal point is always ".".
QString memory(std::uint64_t bytes);

} // namespace velto::ByteCountFormat
