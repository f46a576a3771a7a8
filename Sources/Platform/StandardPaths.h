#pragma once

#include <QString>

namespace velto::platform {

/// The XDG base folders, read afresh from the environment on every call.
/// Without HOME, the home folder comes from the password database.
namespace StandardPaths {

/// $XDG_CONFIG_HOME when absolute, else $HOME/.config.
QString configHome();
/// $XDG_DATA_HOME when absolute, else $HOME/.local/share ("Application Support").
QString dataHome();
/// Where velto keeps its user-defaults domains: configHome()/velto.
QString defaultsFolder();
/// The user plug-in folder: dataHome()/velto/Plugins.
QString userPluginFolder();

} // namespace StandardPaths
} // namespace velto::platform
