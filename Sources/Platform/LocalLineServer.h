#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QSocketNotifier;

namespace velto::platform {

/**
 * A Unix stream socket at a path that answers one line per connection: each
 * client sends a line of at most kMaxLineBytes, the handler's reply is written
 * back and the connection closed. A client that sends too much or takes longer
 * than the cut-off is dropped. The socket file is the user's alone (0600).
 * Plain sockets and the main loop's notifiers: no network library is loaded.
 */
class LocalLineServer final : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype kMaxLineBytes = 64;
    static constexpr std::chrono::milliseconds kClientCutOff{5000};

    /// Takes the line (with its newline) and gives the reply to send back.
    using Handler = std::function<QByteArray(const QByteArray& line)>;

    ~LocalLineServer() override;

    /// Listens at @p path, which must not exist; absent when that fails.
    static std::unique_ptr<LocalLineServer> listen(const QString& path, Handler handler);

    /// What asking a listener gave.
    enum class Reach { Answered, NobodyListens, NoAnswer };
    struct Reply {
        Reach reach = Reach::NobodyListens;
        QByteArray line; ///< the reply's first line, with Answered
    };
    /**
     * Connects to @p path, sends @p line and waits up to @p timeout for one line
     * back, with the main loop running meanwhile (the listener may be in this
     * very process).
     */
    static Reply ask(const QString& path, const QByteArray& line,
                     std::chrono::milliseconds timeout);

private:
    LocalLineServer(int descriptor, QString path, Handler handler);
    void acceptClients();
    void serve(int client);

    int m_descriptor;
    QString m_path;
    std::shared_ptr<const Handler> m_handler; ///< shared with the clients
    QSocketNotifier* m_notifier;
};

} // namespace velto::platform
