#include "ReopenDelegate.h"

#include "SmokeTest.h"

#include <Platform/SingleInstance.h>
#include <QCoreApplication>
#include <memory>
#include <utility>
#include <vector>

namespace velto {

using platform::SingleInstance;

namespace {

/// The name this process holds; it goes with the application object.
QPointer<SingleInstance> g_processChannel;

} // namespace

bool ReopenDelegate::handOverToRunningInstance(const QStringList& arguments, const QString& name) {
    QCoreApplication* application = QCoreApplication::instance();
    if (SmokeTest::isRequested(arguments) || !application)
        return false;
    if (g_processChannel && g_processChannel->isClaimed())
        return false;
    // A bus that refuses the name (or has a holder that never answers) leaves
    // the local socket, which every launch tries after the bus.
    std::vector<SingleInstance::Channel> channels{SingleInstance::Channel::LocalSocket};
    if (SingleInstance::preferredChannel() == SingleInstance::Channel::SessionBus)
        channels.insert(channels.begin(), SingleInstance::Channel::SessionBus);
    for (const SingleInstance::Channel kind : channels) {
        auto channel = std::make_unique<SingleInstance>(name, kind);
        switch (channel->claimOrHandOver()) {
        case SingleInstance::Outcome::Claimed:
            channel->setParent(application);
            g_processChannel = channel.release();
            return false;
        case SingleInstance::Outcome::HandedOver:
            return true;
        case SingleInstance::Outcome::Unavailable:
            break;
        }
    }
    // No way to find or be found: run on as a copy of our own.
    return false;
}

ReopenDelegate::ReopenDelegate(QObject* target, std::function<void()> openSettings, QObject* parent)
    : QObject(parent), m_target(target), m_openSettings(std::move(openSettings)) {
    if (g_processChannel)
        g_processChannel->setOnRequest(this, [this] { applicationShouldHandleReopen(false); });
}

ReopenDelegate::~ReopenDelegate() = default;

bool ReopenDelegate::applicationShouldHandleReopen(bool /*hasVisibleWindows*/) {
    // Shown also when already open: openSettings places it anew and raises it.
    if (m_target && m_openSettings)
        m_openSettings();
    return true;
}

} // namespace velto
