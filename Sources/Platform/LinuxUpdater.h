#pragma once

#include "Platform/Appcast.h"
#include "Platform/Result.h"
#include "Platform/Updater.h"

#include <QJsonObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QMessageBox;

namespace velto {
class HttpsGet;
}

namespace velto::platform {

class UserDefaults;

/// How the updater runs; the defaults are those of the application.
struct UpdaterConfiguration {
    QString applicationName = QStringLiteral("velto");
    /// SUFeedURL: the feed read when the delegate names none.
    QString feedURL;
    /// CFBundleVersion, which feed items are compared with.
    QString version;
    /// CFBundleShortVersionString, shown in the windows; may be empty.
    QString shortVersion;

    std::chrono::milliseconds checkInterval = std::chrono::hours(24);
    /// The first automatic check waits at least this long after start.
    std::chrono::milliseconds soonestCheck = std::chrono::minutes(1);
    /// After a failed automatic check, the next one comes this much later.
    std::chrono::milliseconds retryDelay = std::chrono::hours(1);
    std::chrono::milliseconds requestTimeout = std::chrono::seconds(30);
    qint64 maxFeedBytes = Appcast::kMaxBytes;

    /**
     * A PEM file of the only certificate authorities trusted for the feed; empty
     * trusts the system's. Tests put their own authority here. The peer is
     * verified either way.
     */
    QString trustedCertificatesFile;
    /// The download helper; empty means the one in the running app.
    QString fetchHelperPath;
    /// Opens a download page; empty means the desktop's web browser.
    std::function<bool(const QUrl&)> openURL;

    /// feedURL, version and shortVersion from the application's Info dictionary.
    static UpdaterConfiguration fromInfoDictionary(const QJsonObject& info);
};

/// What one check found.
struct UpdateCheckOutcome {
    enum class Kind { UpToDate, UpdateAvailable, Failed };
    Kind kind = Kind::UpToDate;
    /// The newer item, for UpdateAvailable.
    std::optional<AppcastItem> update;
    /// Why it failed, for Failed.
    QString failure;
    /// The feed that was read, or meant to be.
    QUrl feedURL;
    bool userInitiated = false;
};

/**
 * The updater, fetching through the download helper (HttpsGet). Creation starts it: with automatic
 * checks on, the first check is scheduled at once. Each check asks the delegate for the feed,
 * fetches it (bounded by the request timeout and the size cap), and compares
 * its newest item with CFBundleVersion. A newer version is always shown; "up
 * to date" and failures only for a check the user asked for. The automatic
 * preference and the time of the last check live in @p defaults, which should
 * be the standard domain.
 */
class LinuxUpdater final : public Updater {
    Q_OBJECT
public:
    static constexpr const char* kAutomaticallyChecksKey = "updater.automaticallyChecksForUpdates";
    static constexpr const char* kLastCheckTimeKey = "updater.lastCheckTime";

    /**
     * Creates and starts the updater. Fails when the configuration has no
     * usable version to compare with or its feed is not an https address.
     * The three references must outlive the updater.
     */
    static Result<std::unique_ptr<LinuxUpdater>> start(UpdaterConfiguration configuration,
                                                       UserDefaults& defaults,
                                                       UpdaterDelegate& delegate,
                                                       UserDriverDelegate& userDriver);
    ~LinuxUpdater() override;

    bool canCheckForUpdates() const override;
    bool automaticallyChecksForUpdates() const override;
    void setAutomaticallyChecksForUpdates(bool enabled) override;
    void checkForUpdates() override;

    /// What the last finished check found; absent before the first.
    const std::optional<UpdateCheckOutcome>& lastOutcome() const { return m_lastOutcome; }
    /// The window the updater shows or last showed; null before any.
    QMessageBox* window() const { return m_window.get(); }
    /// Whether an automatic check is scheduled.
    bool isCheckScheduled() const { return m_schedule.isActive(); }

Q_SIGNALS:
    /// Emitted once per check, after canCheckForUpdates() is true again.
    void checkFinished();

private:
    LinuxUpdater(UpdaterConfiguration configuration, UserDefaults& defaults,
                 UpdaterDelegate& delegate, UserDriverDelegate& userDriver);

    void beginCheck(bool userInitiated);
    void feedArrived(const QUrl& feedURL, Result<QByteArray> feed);
    void finishCheck(UpdateCheckOutcome outcome);
    void present(const UpdateCheckOutcome& outcome);
    void scheduleNextCheck();
    void setCanCheck(bool canCheck);
    std::optional<double> lastCheckTime() const;

    UpdaterConfiguration m_configuration;
    UserDefaults& m_defaults;
    UpdaterDelegate& m_delegate;
    UserDriverDelegate& m_userDriver;
    QTimer m_schedule;
    QPointer<HttpsGet> m_download;
    bool m_canCheck = true;
    bool m_userWaiting = false;
    std::optional<UpdateCheckOutcome> m_lastOutcome;
    std::unique_ptr<QMessageBox> m_window;
};

} // namespace velto::platform
