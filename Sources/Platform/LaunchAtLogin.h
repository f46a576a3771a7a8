#pragma once

#include "Platform/Result.h"

#include <QString>

namespace velto::platform {

/**
 * Starting velto when the user logs in, through an XDG autostart entry,
 * <autostart folder>/velto.desktop. It is on when that file exists, runs this
 * executable and is not switched off (Hidden=true, or GNOME's
 * X-GNOME-Autostart-enabled=false). Nothing is cached: every call looks at
 * the file.
 */
class LaunchAtLogin {
public:
    /**
     * @p autostartFolder defaults to StandardPaths::configHome() + "/autostart",
     * read at each call; @p executable to the running process's own file.
     */
    explicit LaunchAtLogin(QString autostartFolder = {}, QString executable = {});

    QString entryPath() const;
    QString executable() const;

    bool isEnabled() const;

    /**
     * On: writes the entry atomically, replacing whatever velto.desktop held.
     * Off: removes the entry when it runs this executable; an entry for another
     * program is left alone. A failure says why in one line.
     */
    Status setEnabled(bool enabled);

private:
    QString m_autostartFolder;
    QString m_executable;
};

} // namespace velto::platform
