#include "Platform/CodeResources.h"

#include <cstddef>
#include <cstdint>

// Whatever parse() accepts must be canonical: serializing what it read gives
// back the very same bytes, and those bytes parse to the same entries.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velto::platform;
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<std::vector<SealedFile>> files = CodeResources::parse(bytes);
    if (!files)
        return 0;
    const QByteArray again = CodeResources::serialize(*files);
    if (again != bytes)
        __builtin_trap();
    const std::optional<std::vector<SealedFile>> reparsed = CodeResources::parse(again);
    if (!reparsed || *reparsed != *files)
        __builtin_trap();
    return 0;
}
