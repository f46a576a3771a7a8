#include "Platform/InfoDictionary.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velto::platform;
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<QJsonObject> info = InfoDictionary::parse(bytes);
    if (!info)
        return 0;
    // The keys the loader reads; text lookups must never fail on other value types.
    for (const char* key : {"CFBundleExecutable", "CFBundleIdentifier", "CFBundleName",
                            "NSPrincipalClass", "VeltoPluginAPIVersion"}) {
        const std::optional<QString> text = InfoDictionary::string(*info, QLatin1String(key));
        if (text && !info->value(QLatin1String(key)).isString())
            __builtin_trap();
    }
    return 0;
}
