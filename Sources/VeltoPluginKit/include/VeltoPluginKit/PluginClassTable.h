#pragma once

#include <VeltoPluginKit/PluginEntry.h>
#include <VeltoPluginKit/PublicIPToggleable.h>
#include <VeltoPluginKit/VeltoWidget.h>
#include <cstddef>
#include <cstdint>
#include <type_traits>

/**
 * @file
 * The table of classes that a plug-in's shared object defines. The host looks
 * up the class that the bundle's NSPrincipalClass names and asks whether it
 * adopts PluginEntry. Register every class of a plug-in in one place:
 *
 * @code
 * VELTO_PLUGIN_CLASSES(VELTO_PLUGIN_CLASS(CPUPluginMain), VELTO_PLUGIN_CLASS(CPUGaugeAdapter))
 * @endcode
 */

namespace velto::kit {

/// Bumped only when ClassRecord or ClassTable change layout.
inline constexpr std::uint32_t kClassTableABIVersion = 1;

enum Interface : std::uint32_t {
    AdoptsVeltoWidget = 1u << 0,
    AdoptsPluginEntry = 1u << 1,
    AdoptsPublicIPToggleable = 1u << 2,
};

struct ClassRecord {
    const char* name;
    std::uint32_t interfaces;
    /// The class's shared class object; null unless the class adopts PluginEntry.
    const PluginEntry* (*classObject)();
};

struct ClassTable {
    std::uint32_t abiVersion;
    std::size_t count;
    const ClassRecord* records;
};

template <typename T> constexpr std::uint32_t interfacesOf() {
    return (std::is_base_of_v<VeltoWidget, T> ? AdoptsVeltoWidget : 0u) |
           (std::is_base_of_v<PluginEntry, T> ? AdoptsPluginEntry : 0u) |
           (std::is_base_of_v<PublicIPToggleable, T> ? AdoptsPublicIPToggleable : 0u);
}

template <typename T> const PluginEntry* classObjectOf() {
    if constexpr (std::is_base_of_v<PluginEntry, T>) {
        static const T object;
        return &object;
    } else {
        return nullptr;
    }
}

template <typename T> constexpr ClassRecord recordOf(const char* name) {
    return ClassRecord{name, interfacesOf<T>(),
                       std::is_base_of_v<PluginEntry, T> ? &classObjectOf<T> : nullptr};
}

} // namespace velto::kit

/// Name of the exported C symbol that returns a plug-in's class table.
#define VELTO_PLUGIN_CLASS_TABLE_SYMBOL "velto_plugin_class_table"

#define VELTO_PLUGIN_CLASS(Type) ::velto::kit::recordOf<Type>(#Type)

#define VELTO_PLUGIN_CLASSES(...)                                                                  \
    extern "C" __attribute__((visibility("default"))) const ::velto::kit::ClassTable*              \
    velto_plugin_class_table() {                                                                   \
        static const ::velto::kit::ClassRecord records[] = {__VA_ARGS__};                          \
        static const ::velto::kit::ClassTable table{                                               \
            ::velto::kit::kClassTableABIVersion, sizeof(records) / sizeof(records[0]), records};   \
        return &table;                                                                             \
    }
