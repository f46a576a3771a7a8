#pragma once

#include <QObject>
#include <QString>
#include <optional>

namespace velto::platform {

class Updater;

/// What the updater asks of the application. Called on the main thread.
class UpdaterDelegate {
public:
    virtual ~UpdaterDelegate() = default;
    /**
     * The feed to read for this check, or absent for the Info dictionary's
     * SUFeedURL. Asked afresh before every check, scheduled or not.
     */
    virtual std::optional<QString> feedURLString(const Updater& updater) = 0;
};

/// The application's say in the updater's own windows. Called on the main thread.
class UserDriverDelegate {
public:
    virtual ~UserDriverDelegate() = default;
    /// Runs just before the updater shows any window of its own.
    virtual void willShowUpdaterWindow() = 0;
};

/**
 * The application's updater: reads an appcast over HTTPS, tells the user about
 * a newer version, and checks by itself on a schedule while automatic checks
 * are on. Main thread only.
 */
class Updater : public QObject {
    Q_OBJECT
public:
    explicit Updater(QObject* parent = nullptr);
    ~Updater() override;

    /// Whether a check may start now: false while one runs.
    virtual bool canCheckForUpdates() const = 0;

    /// The persisted preference to check on a schedule.
    virtual bool automaticallyChecksForUpdates() const = 0;
    virtual void setAutomaticallyChecksForUpdates(bool enabled) = 0;

    /// Starts a check the user asked for; its outcome is shown, whatever it is.
    virtual void checkForUpdates() = 0;

Q_SIGNALS:
    /// Emitted after canCheckForUpdates() changed, with its new value.
    void canCheckForUpdatesChanged(bool canCheck);
};

} // namespace velto::platform
