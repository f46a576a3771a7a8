#include "Platform/LinuxUpdater.h"

#include "Platform/BundleVersion.h"
#include "Platform/InfoDictionary.h"
#include "Platform/UpdateAlert.h"
#include "Platform/UpdateSchedule.h"
#include "Platform/UserDefaults.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QDesktopServices>
#include <QMessageBox>
#include <VeltoPluginKit/HttpsGet.h>
#include <algorithm>
#include <limits>

namespace velto::platform {

namespace {

bool isHttpsWithHost(const QUrl& url) {
    return url.isValid() && url.scheme() == QLatin1String("https") && !url.host().isEmpty();
}

double nowSeconds() {
    return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
}

// QTimer counts in int milliseconds.
std::chrono::milliseconds timerDelay(std::chrono::milliseconds delay) {
    return std::clamp(delay, std::chrono::milliseconds(0),
                      std::chrono::milliseconds(std::numeric_limits<int>::max()));
}

} // namespace

UpdaterConfiguration UpdaterConfiguration::fromInfoDictionary(const QJsonObject& info) {
    UpdaterConfiguration configuration;
    configuration.feedURL =
        InfoDictionary::string(info, QStringLiteral("SUFeedURL")).value_or(QString());
    configuration.version =
        InfoDictionary::string(info, QStringLiteral("CFBundleVersion")).value_or(QString());
    configuration.shortVersion =
        InfoDictionary::string(info, QStringLiteral("CFBundleShortVersionString"))
            .value_or(QString());
    if (const std::optional<QString> name =
            InfoDictionary::string(info, QStringLiteral("CFBundleName"));
        name && !name->isEmpty())
        configuration.applicationName = *name;
    return configuration;
}

Result<std::unique_ptr<LinuxUpdater>> LinuxUpdater::start(UpdaterConfiguration configuration,
                                                          UserDefaults& defaults,
                                                          UpdaterDelegate& delegate,
                                                          UserDriverDelegate& userDriver) {
    using Failure = Result<std::unique_ptr<LinuxUpdater>>;
    if (!BundleVersion::isUsable(configuration.version))
        return Failure::failure(
            QStringLiteral("The application has no CFBundleVersion to compare updates with."));
    if (!isHttpsWithHost(QUrl(configuration.feedURL, QUrl::StrictMode)))
        return Failure::failure(QStringLiteral("The update feed \"%1\" is not an https address.")
                                    .arg(configuration.feedURL));
    std::unique_ptr<LinuxUpdater> updater(
        new LinuxUpdater(std::move(configuration), defaults, delegate, userDriver));
    updater->scheduleNextCheck();
    return Result<std::unique_ptr<LinuxUpdater>>(std::move(updater));
}

LinuxUpdater::LinuxUpdater(UpdaterConfiguration configuration, UserDefaults& defaults,
                           UpdaterDelegate& delegate, UserDriverDelegate& userDriver)
    : m_configuration(std::move(configuration)), m_defaults(defaults), m_delegate(delegate),
      m_userDriver(userDriver) {
    if (!m_configuration.openURL)
        m_configuration.openURL = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    m_configuration.maxFeedBytes =
        std::clamp<qint64>(m_configuration.maxFeedBytes, 0, Appcast::kMaxBytes);
    m_schedule.setSingleShot(true);
    m_schedule.setTimerType(Qt::VeryCoarseTimer);
    connect(&m_schedule, &QTimer::timeout, this, [this] { beginCheck(false); });
}

LinuxUpdater::~LinuxUpdater() {
    // Stops the helper before the members its completion uses go.
    delete m_download.data();
}

bool LinuxUpdater::canCheckForUpdates() const {
    return m_canCheck;
}

bool LinuxUpdater::automaticallyChecksForUpdates() const {
    return m_defaults.boolValue(QString::fromLatin1(kAutomaticallyChecksKey)).value_or(true);
}

void LinuxUpdater::setAutomaticallyChecksForUpdates(bool enabled) {
    m_defaults.setValue(QString::fromLatin1(kAutomaticallyChecksKey), enabled);
    if (!m_download)
        scheduleNextCheck();
}

void LinuxUpdater::checkForUpdates() {
    beginCheck(true);
}

void LinuxUpdater::beginCheck(bool userInitiated) {
    if (m_download) {
        // A check is already on its way; the user will see what it finds.
        m_userWaiting = m_userWaiting || userInitiated;
        return;
    }
    m_schedule.stop();
    m_userWaiting = userInitiated;

    const std::optional<QString> override = m_delegate.feedURLString(*this);
    const QString feed = override && !override->isEmpty() ? *override : m_configuration.feedURL;
    const QUrl feedURL(feed, QUrl::StrictMode);
    if (!isHttpsWithHost(feedURL)) {
        UpdateCheckOutcome outcome;
        outcome.kind = UpdateCheckOutcome::Kind::Failed;
        outcome.failure =
            QStringLiteral("The update feed \"%1\" is not an https address.").arg(feed);
        outcome.feedURL = feedURL;
        finishCheck(std::move(outcome));
        return;
    }

    setCanCheck(false);
    HttpsGet::Request request;
    request.url = feedURL;
    request.timeout = m_configuration.requestTimeout;
    request.maxBytes = m_configuration.maxFeedBytes;
    request.accept = "application/rss+xml, application/xml;q=0.9, text/xml;q=0.8";
    request.trustedCertificatesFile = m_configuration.trustedCertificatesFile;
    request.helperPath = m_configuration.fetchHelperPath;
    m_download = new HttpsGet(
        std::move(request),
        [this, feedURL](HttpsGet::Answer answer) {
            feedArrived(feedURL, answer.body ? Result<QByteArray>(std::move(*answer.body))
                                             : Result<QByteArray>::failure(answer.failure));
        },
        this);
}

void LinuxUpdater::feedArrived(const QUrl& feedURL, Result<QByteArray> feed) {
    if (m_download)
        m_download->deleteLater();
    m_download = nullptr;

    UpdateCheckOutcome outcome;
    outcome.feedURL = feedURL;
    if (!feed) {
        outcome.kind = UpdateCheckOutcome::Kind::Failed;
        outcome.failure = feed.error();
    } else if (const auto items = Appcast::parse(feed.value()); !items) {
        outcome.kind = UpdateCheckOutcome::Kind::Failed;
        outcome.failure = items.error();
    } else {
        outcome.update = Appcast::update(items.value(), m_configuration.version);
        outcome.kind = outcome.update ? UpdateCheckOutcome::Kind::UpdateAvailable
                                      : UpdateCheckOutcome::Kind::UpToDate;
    }
    finishCheck(std::move(outcome));
}

void LinuxUpdater::finishCheck(UpdateCheckOutcome outcome) {
    outcome.userInitiated = std::exchange(m_userWaiting, false);
    const bool succeeded = outcome.kind != UpdateCheckOutcome::Kind::Failed;
    if (succeeded)
        m_defaults.setValue(QString::fromLatin1(kLastCheckTimeKey), nowSeconds());
    m_lastOutcome = outcome;

    // Every way out of a check passes here, so the flag can never stay down.
    setCanCheck(true);
    if (automaticallyChecksForUpdates()) {
        if (succeeded)
            scheduleNextCheck();
        else
            m_schedule.start(
                timerDelay(std::min(m_configuration.retryDelay, m_configuration.checkInterval)));
    }
    Q_EMIT checkFinished();

    if (outcome.userInitiated || outcome.kind == UpdateCheckOutcome::Kind::UpdateAvailable)
        present(outcome);
}

void LinuxUpdater::present(const UpdateCheckOutcome& outcome) {
    std::unique_ptr<QMessageBox> box;
    std::optional<QUrl> page;
    switch (outcome.kind) {
    case UpdateCheckOutcome::Kind::UpToDate:
        box = UpdateAlert::makeUpToDate(m_configuration.applicationName,
                                        m_configuration.shortVersion, m_configuration.version);
        break;
    case UpdateCheckOutcome::Kind::UpdateAvailable:
        page = Appcast::downloadPage(*outcome.update);
        box = UpdateAlert::makeUpdateAvailable(m_configuration.applicationName, *outcome.update,
                                               m_configuration.shortVersion,
                                               m_configuration.version, page.has_value());
        break;
    case UpdateCheckOutcome::Kind::Failed:
        box = UpdateAlert::makeFailure(m_configuration.applicationName, outcome.failure);
        break;
    }
    if (page)
        if (QAbstractButton* download = UpdateAlert::downloadButton(*box))
            connect(download, &QAbstractButton::clicked, this,
                    [this, url = *page] { m_configuration.openURL(url); });

    m_userDriver.willShowUpdaterWindow();
    // One window at a time: a newer answer replaces the one still open.
    m_window = std::move(box);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void LinuxUpdater::scheduleNextCheck() {
    if (!automaticallyChecksForUpdates()) {
        m_schedule.stop();
        return;
    }
    m_schedule.start(UpdateSchedule::delayUntilNextCheck(lastCheckTime(), nowSeconds(),
                                                         m_configuration.checkInterval,
                                                         m_configuration.soonestCheck));
}

std::optional<double> LinuxUpdater::lastCheckTime() const {
    const std::optional<QJsonValue> stored =
        m_defaults.value(QString::fromLatin1(kLastCheckTimeKey));
    if (!stored || !stored->isDouble())
        return std::nullopt;
    return stored->toDouble();
}

void LinuxUpdater::setCanCheck(bool canCheck) {
    if (m_canCheck == canCheck)
        return;
    m_canCheck = canCheck;
    Q_EMIT canCheckForUpdatesChanged(canCheck);
}

} // namespace velto::platform
