#include "RAMCore/RAMSnapshot.h"

#include "RAMCore/Saturating.h"

#include <algorithm>

namespace velto {

double RAMSnapshot::usedFraction() const {
    if (totalBytes == 0) {
        return 0.0;
    }
    const std::uint64_t used = std::min(
        Saturating::add(Saturating::add(wiredBytes, activeBytes), compressedBytes), totalBytes);
    return static_cast<double>(used) / static_cast<double>(totalBytes);
}

} // namespace velto
