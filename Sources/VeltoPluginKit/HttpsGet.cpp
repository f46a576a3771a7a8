#include "VeltoPluginKit/HttpsGet.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

namespace velto {

namespace {

// The helper keeps the request's own deadline; this much more covers its start
// and exit before the helper itself is given up on.
constexpr std::chrono::milliseconds kHelperGrace{3000};
// Enough for the helper's one-line reason.
constexpr qint64 kMaxReasonBytes = 1024;

QString secondsText(std::chrono::milliseconds duration) {
    return QString::number(static_cast<double>(duration.count()) / 1000.0, 'g', 3);
}

} // namespace

QString HttpsGet::defaultHelperPath() {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/../Helpers/velto-fetch"));
}

HttpsGet::HttpsGet(Request request, Completion completion, QObject* parent)
    : QObject(parent), m_request(std::move(request)), m_completion(std::move(completion)) {
    const QUrl& url = m_request.url;
    if (!url.isValid() || url.scheme() != QLatin1String("https") || url.host().isEmpty()) {
        fail(QStringLiteral("\"%1\" is not an https address.").arg(url.toString()));
        return;
    }
    const QString helper =
        m_request.helperPath.isEmpty() ? defaultHelperPath() : m_request.helperPath;
    QStringList arguments{QStringLiteral("--timeout-ms"),
                          QString::number(m_request.timeout.count()), QStringLiteral("--max-bytes"),
                          QString::number(m_request.maxBytes)};
    if (!m_request.accept.isEmpty())
        arguments << QStringLiteral("--accept") << QString::fromLatin1(m_request.accept);
    if (!m_request.trustedCertificatesFile.isEmpty())
        arguments << QStringLiteral("--ca-file") << m_request.trustedCertificatesFile;
    arguments << QStringLiteral("--") << url.toString(QUrl::FullyEncoded);

    m_deadline.setSingleShot(true);
    // A coarse timer may fire up to 5% early: a deadline is never reported before it passed.
    m_deadline.setTimerType(Qt::PreciseTimer);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        fail(QStringLiteral("%1 did not answer within %2 seconds.")
                 .arg(m_request.url.host(), secondsText(m_request.timeout)));
    });
    m_deadline.start(m_request.timeout + kHelperGrace);

    m_helper = new QProcess(this);
    m_helper->setProcessChannelMode(QProcess::SeparateChannels);
    m_helper->setStandardInputFile(QProcess::nullDevice());
    connect(m_helper, &QProcess::readyReadStandardOutput, this, &HttpsGet::readOutput);
    connect(m_helper, &QProcess::readyReadStandardError, this, [this] {
        m_reason += m_helper->readAllStandardError().left(kMaxReasonBytes - m_reason.size());
    });
    connect(m_helper, &QProcess::finished, this, &HttpsGet::helperFinished);
    connect(m_helper, &QProcess::errorOccurred, this, [this, helper](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            fail(QStringLiteral("The download helper %1 could not be started.").arg(helper));
    });
    m_helper->start(helper, arguments, QIODevice::ReadOnly);
}

HttpsGet::~HttpsGet() {
    m_done = true;
    if (m_helper) {
        m_helper->disconnect(this);
        m_helper->kill();
        m_helper->waitForFinished(1000);
    }
}

void HttpsGet::readOutput() {
    if (m_done)
        return;
    // No more than one byte past the cap: enough to know it was exceeded.
    m_body += m_helper->read(m_request.maxBytes + 1 - m_body.size());
    if (m_body.size() > m_request.maxBytes)
        fail(QStringLiteral("The answer from %1 is larger than %2 bytes.")
                 .arg(m_request.url.host())
                 .arg(m_request.maxBytes));
}

void HttpsGet::helperFinished() {
    if (m_done)
        return;
    readOutput();
    if (m_done)
        return;
    if (m_helper->exitStatus() == QProcess::NormalExit && m_helper->exitCode() == 0) {
        complete(Answer{std::move(m_body), QString()});
        return;
    }
    m_reason += m_helper->readAllStandardError().left(kMaxReasonBytes - m_reason.size());
    QString reason;
    for (const QString& line : QString::fromUtf8(m_reason).split(QLatin1Char('\n'))) {
        reason = line.trimmed();
        if (!reason.isEmpty())
            break;
    }
    fail(reason.isEmpty() ? QStringLiteral("The download helper stopped before %1 answered.")
                                .arg(m_request.url.host())
                          : reason);
}

void HttpsGet::fail(const QString& reason) {
    complete(Answer{std::nullopt, reason});
}

void HttpsGet::complete(Answer answer) {
    if (m_done)
        return;
    m_done = true;
    m_deadline.stop();
    if (m_helper) {
        m_helper->disconnect(this);
        m_helper->kill();
    }
    // Delivered on a later turn, so that the owner never hears back from inside
    // its own call or from inside a signal of the helper.
    QMetaObject::invokeMethod(
        this,
        [this, answer = std::move(answer)]() mutable {
            if (Completion completion = std::exchange(m_completion, nullptr))
                completion(std::move(answer));
        },
        Qt::QueuedConnection);
}

} // namespace velto
