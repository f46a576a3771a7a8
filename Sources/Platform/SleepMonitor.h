#pragma once

#include <QObject>
#include <QString>

namespace velto::platform {

/**
 * Tells when the machine goes to sleep and when it wakes, from logind's
 * PrepareForSleep signal (org.freedesktop.login1.Manager on the system bus):
 * true before sleep, false after waking. Without the bus, or without logind,
 * it never reports and says nothing. Main thread only.
 */
class SleepMonitor final : public QObject {
    Q_OBJECT
public:
    enum class Bus { System, Session };

    static constexpr const char* kService = "org.freedesktop.login1";
    static constexpr const char* kPath = "/org/freedesktop/login1";
    static constexpr const char* kInterface = "org.freedesktop.login1.Manager";
    static constexpr const char* kSignal = "PrepareForSleep";

    /// Listens to logind on the system bus.
    explicit SleepMonitor(QObject* parent = nullptr);
    /// Listens on @p bus to the signal as sent by the owner of @p service; tests
    /// play logind on a session bus.
    SleepMonitor(Bus bus, const QString& service, QObject* parent = nullptr);

    /// True when the bus was there and the signal is subscribed.
    bool isListening() const { return m_listening; }

Q_SIGNALS:
    void willSleep();
    void didWake();

private Q_SLOTS:
    void prepareForSleep(bool start);

private:
    bool m_listening = false;
};

} // namespace velto::platform
