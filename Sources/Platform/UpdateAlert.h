#pragma once

#include "Platform/Appcast.h"

#include <QString>
#include <memory>

class QAbstractButton;
class QMessageBox;

namespace velto::platform {

/**
 * The updater's windows, unshown and not modal. Every text from the feed or
 * the server is shown as plain text, never as markup.
 */
namespace UpdateAlert {

inline constexpr const char* kUpToDateText = "You\u2019re up to date!";
inline constexpr const char* kUpdateAvailableText = "A new version of %1 is available!";
inline constexpr const char* kFailureText = "%1 couldn\u2019t check for updates.";
inline constexpr const char* kOpenDownloadPageButton = "Open Download Page";
inline constexpr const char* kLaterButton = "Later";

/// "1.4 (27)"; the build number alone when the short version is empty or the same.
QString versionText(const QString& shortVersion, const QString& version);

/// "velto 1.4 (27) is the newest version available."
std::unique_ptr<QMessageBox> makeUpToDate(const QString& applicationName,
                                          const QString& shortVersion, const QString& version);

/**
 * The newer version against the running one. With @p offersDownload, an
 * "Open Download Page" button (the default) and "Later"; otherwise only "OK".
 */
std::unique_ptr<QMessageBox> makeUpdateAvailable(const QString& applicationName,
                                                 const AppcastItem& update,
                                                 const QString& currentShortVersion,
                                                 const QString& currentVersion,
                                                 bool offersDownload);

/// Why a check the user asked for failed.
std::unique_ptr<QMessageBox> makeFailure(const QString& applicationName, const QString& reason);

/// The "Open Download Page" button of @p box; null when it has none.
QAbstractButton* downloadButton(const QMessageBox& box);

} // namespace UpdateAlert
} // namespace velto::platform
