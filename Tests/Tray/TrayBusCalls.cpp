#include "TrayBusCalls.h"

#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QDBusVariant>

namespace velto::test {

QDBusMessage callItem(const QString& service, const QString& interface, const QString& method,
                      const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(
        service, QStringLiteral("/StatusNotifierItem"), interface, method);
    message.setArguments(arguments);
    QDBusPendingCall call = QDBusConnection::sessionBus().asyncCall(message);
    waitUntil([&] { return call.isFinished(); });
    return call.reply();
}

QVariant itemProperty(const QString& service, const QString& name) {
    const QDBusMessage reply =
        callItem(service, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                 {QStringLiteral("org.kde.StatusNotifierItem"), name});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().first().value<QDBusVariant>().variant();
}

bool SignalRecorder::listenTo(const QString& service) {
    bool listening = true;
    for (const char* signal :
         {"NewTitle", "NewIcon", "NewToolTip", "NewStatus", "XAyatanaNewLabel"})
        listening = QDBusConnection::sessionBus().connect(
                        service, QStringLiteral("/StatusNotifierItem"),
                        QStringLiteral("org.kde.StatusNotifierItem"), QString::fromLatin1(signal),
                        this, SLOT(record(QDBusMessage))) &&
                    listening;
    return listening;
}

void SignalRecorder::record(const QDBusMessage& message) {
    m_members.append(message.member());
    m_arguments.append(message.arguments());
}

} // namespace velto::test
