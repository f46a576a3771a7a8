#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QDBusConnection;

namespace velto::platform {

class LocalLineServer;

/**
 * One running copy of the application per user. The first launch claims a
 * name and listens; a later launch finds it, asks it to reopen, and can then
 * exit. On the session bus the name is a well-known bus name with the method
 * org.velto.Application.Reopen at /org/velto/Application; without a bus it is
 * a local socket in $XDG_RUNTIME_DIR, claimed under a lock file so that two
 * launches at the same moment can't both win.
 *
 * Requests arrive on the main thread, one turn of the loop after the asking
 * launch got its answer. Requests that arrive before a handler is set are
 * kept (as one) and delivered when it is.
 */
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Channel { SessionBus, LocalSocket };
    enum class Outcome {
        /// This process holds the name and listens.
        Claimed,
        /// Another process holds the name and took the request.
        HandedOver,
        /// Neither: no bus or socket could be used, or the holder did not answer.
        Unavailable,
    };

    static constexpr int kDefaultTimeoutMilliseconds = 3000;

    SingleInstance(QString name, Channel channel, QObject* parent = nullptr);
    ~SingleInstance() override;

    /// The session bus when one is reachable, else the local socket.
    static Channel preferredChannel();
    /// $XDG_RUNTIME_DIR/<name>.socket, or a per-user name in the temporary folder.
    static QString socketPath(const QString& name);

    /**
     * Claims the name or, when another process holds it, asks that one to
     * reopen, waiting up to @p timeoutMilliseconds for its answer (the event
     * loop runs meanwhile). Call once.
     */
    Outcome claimOrHandOver(int timeoutMilliseconds = kDefaultTimeoutMilliseconds);

    bool isClaimed() const { return m_claimed; }
    const QString& name() const { return m_name; }

    /// Runs @p handler for each request from another launch, while @p context lives.
    void setOnRequest(QObject* context, std::function<void()> handler);

    /// Takes one request as if another launch had sent it.
    void receiveRequest();

private:
    Outcome claimOverBus(int timeoutMilliseconds);
    Outcome claimOverSocket(int timeoutMilliseconds);

    QString m_name;
    Channel m_channel;
    QString m_connectionName;
    std::unique_ptr<QDBusConnection> m_bus;
    QObject* m_receiver = nullptr;
    std::unique_ptr<LocalLineServer> m_server;
    bool m_claimed = false;
    bool m_pending = false;
    QPointer<QObject> m_context;
    bool m_hasHandler = false;
    std::function<void()> m_handler;
};

} // namespace velto::platform
