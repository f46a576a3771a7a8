// The bus object of a tray item as hosts meet it, read through QtDBus as the
// hosts' own libraries would; and the main-thread connection under it.

#include "TrayBusCalls.h"
#include "TrayBusTypes.h"

#include <Platform/PrivateBusConnection.h>
#include <Platform/StatusNotifierItem.h>
#include <Platform/StatusNotifierTypes.h>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QImage>
#include <QStringList>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <vector>

using namespace velto;
using namespace velto::platform;
using test::callItem;
using test::itemProperty;
using test::registerTrayTypes;
using test::waitUntil;

namespace {

const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

TrayPixmapList onePixmap(QRgb colour) {
    QImage image(4, 2, QImage::Format_ARGB32);
    image.fill(colour);
    return {TrayPixmap::fromImage(image)};
}

QVariantMap getAll(const QString& service, const QString& interface = kItemInterface) {
    const QDBusMessage reply =
        callItem(service, kProperties, QStringLiteral("GetAll"), {interface});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return qdbus_cast<QVariantMap>(reply.arguments().first());
}

TrayPixmapList pixmapsIn(const QVariant& value) {
    registerTrayTypes();
    return qdbus_cast<TrayPixmapList>(value);
}

bool isOnTheBus(const QString& service) {
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(service).value();
}

} // namespace

TEST(StatusNotifierItem, GetAllCarriesEveryPropertyAndFollowsEachChange) {
    StatusNotifierItem item(1, {});
    ASSERT_TRUE(item.isExported());
    item.setId(QStringLiteral("velto.widget.cpu"));
    item.setTitle(QStringLiteral("CPU"));
    item.setIcon(onePixmap(qRgba(255, 0, 0, 255)));
    item.setLabel(QStringLiteral("37%"), QStringLiteral("888%"));
    item.setToolTip({{}, {}, QStringLiteral("CPU"), QStringLiteral("37%")});

    QVariantMap all = getAll(item.serviceName());
    EXPECT_EQ(all.size(), 17);
    EXPECT_EQ(all.value(QStringLiteral("Id")).toString(), QStringLiteral("velto.widget.cpu"));
    EXPECT_EQ(all.value(QStringLiteral("Title")).toString(), QStringLiteral("CPU"));
    EXPECT_EQ(all.value(QStringLiteral("Status")).toString(), QStringLiteral("Active"));
    EXPECT_EQ(all.value(QStringLiteral("Category")).toString(), QStringLiteral("Hardware"));
    EXPECT_EQ(all.value(QStringLiteral("WindowId")).toInt(), 0);
    EXPECT_FALSE(all.value(QStringLiteral("ItemIsMenu")).toBool());
    EXPECT_EQ(all.value(QStringLiteral("Menu")).value<QDBusObjectPath>().path(),
              QStringLiteral("/NO_DBUSMENU"));
    EXPECT_EQ(all.value(QStringLiteral("XAyatanaLabel")).toString(), QStringLiteral("37%"));
    EXPECT_EQ(all.value(QStringLiteral("XAyatanaLabelGuide")).toString(), QStringLiteral("888%"));
    EXPECT_EQ(pixmapsIn(all.value(QStringLiteral("IconPixmap"))), item.icon());
    EXPECT_TRUE(pixmapsIn(all.value(QStringLiteral("OverlayIconPixmap"))).isEmpty());
    registerTrayTypes();
    const auto toolTip = qdbus_cast<TrayToolTip>(all.value(QStringLiteral("ToolTip")));
    EXPECT_EQ(toolTip.title, QStringLiteral("CPU"));
    EXPECT_EQ(toolTip.text, QStringLiteral("37%"));
    // An empty interface name asks for every interface's properties.
    EXPECT_EQ(getAll(item.serviceName(), QString()).size(), 17);

    // The reply is built once per change: every change must show in the next one.
    item.setTitle(QStringLiteral("RAM"));
    EXPECT_EQ(getAll(item.serviceName()).value(QStringLiteral("Title")).toString(),
              QStringLiteral("RAM"));
    item.setIcon(onePixmap(qRgba(0, 0, 255, 128)));
    EXPECT_EQ(pixmapsIn(getAll(item.serviceName()).value(QStringLiteral("IconPixmap"))),
              item.icon());
    item.setStatus(QStringLiteral("Passive"));
    EXPECT_EQ(getAll(item.serviceName()).value(QStringLiteral("Status")).toString(),
              QStringLiteral("Passive"));
    item.setId(QStringLiteral("velto.widget.ram"));
    EXPECT_EQ(itemProperty(item.serviceName(), QStringLiteral("Id")).toString(),
              QStringLiteral("velto.widget.ram"));
}

TEST(StatusNotifierItem, HostsAskingAtOnceEachGetTheirOwnAnswer) {
    StatusNotifierItem item(2, {});
    ASSERT_TRUE(item.isExported());
    item.setTitle(QStringLiteral("GPU"));
    // Two hosts on connections of their own, each with calls in flight together.
    std::vector<QDBusConnection> hosts;
    for (const QString& name : {QStringLiteral("host-a"), QStringLiteral("host-b")})
        hosts.push_back(QDBusConnection::connectToBus(QDBusConnection::SessionBus, name));
    std::vector<QDBusPendingCall> calls;
    for (int round = 0; round < 3; ++round) {
        for (QDBusConnection& host : hosts) {
            QDBusMessage getAll = QDBusMessage::createMethodCall(
                item.serviceName(), QStringLiteral("/StatusNotifierItem"), kProperties,
                QStringLiteral("GetAll"));
            getAll << kItemInterface;
            calls.push_back(host.asyncCall(getAll, 3000));
            QDBusMessage get = QDBusMessage::createMethodCall(item.serviceName(),
                                                              QStringLiteral("/StatusNotifierItem"),
                                                              kProperties, QStringLiteral("Get"));
            get << kItemInterface << QStringLiteral("Title");
            calls.push_back(host.asyncCall(get, 3000));
        }
    }
    ASSERT_TRUE(waitUntil([&] {
        return std::all_of(calls.begin(), calls.end(),
                           [](const QDBusPendingCall& call) { return call.isFinished(); });
    }));
    for (const QDBusPendingCall& call : calls) {
        const QDBusMessage reply = call.reply();
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        ASSERT_EQ(reply.arguments().size(), 1);
        const QVariant value =
            reply.signature() == QStringLiteral("v")
                ? reply.arguments().first().value<QDBusVariant>().variant()
                : qdbus_cast<QVariantMap>(reply.arguments().first()).value(QStringLiteral("Title"));
        EXPECT_EQ(value.toString(), QStringLiteral("GPU"));
    }
    hosts.clear();
    QDBusConnection::disconnectFromBus(QStringLiteral("host-a"));
    QDBusConnection::disconnectFromBus(QStringLiteral("host-b"));
}

TEST(StatusNotifierItem, AnswersWhatItCannotDoWithErrorsAndKeepsAnswering) {
    StatusNotifierItem item(3, {});
    ASSERT_TRUE(item.isExported());
    const QString service = item.serviceName();
    const auto errorOf = [&](const QString& interface, const QString& method,
                             const QVariantList& arguments) {
        const QDBusMessage reply = callItem(service, interface, method, arguments);
        return reply.type() == QDBusMessage::ErrorMessage ? reply.errorName() : QString();
    };
    EXPECT_EQ(errorOf(kProperties, QStringLiteral("Get"), {kItemInterface, QStringLiteral("Nope")}),
              QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty"));
    EXPECT_EQ(errorOf(kProperties, QStringLiteral("Get"),
                      {QStringLiteral("org.example.Other"), QStringLiteral("Title")}),
              QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty"));
    EXPECT_EQ(errorOf(kProperties, QStringLiteral("GetAll"), {QStringLiteral("org.example.Other")}),
              QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface"));
    EXPECT_EQ(errorOf(kProperties, QStringLiteral("Get"), {42}),
              QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
    EXPECT_EQ(errorOf(kProperties, QStringLiteral("Set"),
                      {kItemInterface, QStringLiteral("Title"),
                       QVariant::fromValue(QDBusVariant(QStringLiteral("x")))}),
              QStringLiteral("org.freedesktop.DBus.Error.PropertyReadOnly"));
    EXPECT_EQ(errorOf(kItemInterface, QStringLiteral("Activate"), {QStringLiteral("here")}),
              QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
    EXPECT_EQ(errorOf(kItemInterface, QStringLiteral("Explode"), {}),
              QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"));

    // Hosts that introspect find the interface, its pixmaps and the label extension.
    const QDBusMessage introspection =
        callItem(service, QStringLiteral("org.freedesktop.DBus.Introspectable"),
                 QStringLiteral("Introspect"), {});
    ASSERT_EQ(introspection.type(), QDBusMessage::ReplyMessage);
    const QString xml = introspection.arguments().value(0).toString();
    EXPECT_TRUE(xml.contains(QStringLiteral("<interface name=\"org.kde.StatusNotifierItem\">")));
    EXPECT_TRUE(xml.contains(QStringLiteral("name=\"IconPixmap\" type=\"a(iiay)\"")));
    EXPECT_TRUE(xml.contains(QStringLiteral("name=\"XAyatanaNewLabel\"")));

    item.setTitle(QStringLiteral("still here"));
    EXPECT_EQ(itemProperty(service, QStringLiteral("Title")).toString(),
              QStringLiteral("still here"));
}

TEST(StatusNotifierItem, TextsTheBusWouldRefuseStillGoOut) {
    // libdbus ends the process on a string that is not well-formed UTF-8; a NUL
    // would cut it short. Readings and names come from plug-ins.
    StatusNotifierItem item(4, {});
    ASSERT_TRUE(item.isExported());
    QString odd = QStringLiteral("a");
    odd.append(QChar(0));
    odd.append(QStringLiteral("b"));
    odd.append(QChar(0xD800)); // a lone surrogate
    odd.append(QStringLiteral("c"));
    item.setTitle(odd);
    item.setLabel(odd, odd);
    const QString title = itemProperty(item.serviceName(), QStringLiteral("Title")).toString();
    EXPECT_TRUE(title.startsWith(QStringLiteral("ab")));
    EXPECT_TRUE(title.endsWith(QStringLiteral("c")));
}

TEST(StatusNotifierItem, SignalsTellWhatChangedWithTheirArguments) {
    StatusNotifierItem item(5, {});
    ASSERT_TRUE(item.isExported());
    test::SignalRecorder recorder;
    ASSERT_TRUE(recorder.listenTo(item.serviceName()));

    item.setLabel(QStringLiteral("37%"), QStringLiteral("888%"));
    item.setStatus(QStringLiteral("Passive"));
    item.setIcon(onePixmap(qRgba(0, 255, 0, 255)));
    // Nothing changes: nothing goes out.
    item.setIcon(onePixmap(qRgba(0, 255, 0, 255)));
    item.setLabel(QStringLiteral("37%"), QStringLiteral("888%"));
    item.setStatus(QStringLiteral("Passive"));
    item.setTitle(QStringLiteral("CPU"));
    ASSERT_TRUE(waitUntil([&] { return recorder.members().size() >= 4; }));
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(recorder.members(),
              QStringList({QStringLiteral("XAyatanaNewLabel"), QStringLiteral("NewStatus"),
                           QStringLiteral("NewIcon"), QStringLiteral("NewTitle")}));
    EXPECT_EQ(recorder.arguments().value(0),
              QVariantList({QStringLiteral("37%"), QStringLiteral("888%")}));
    EXPECT_EQ(recorder.arguments().value(1), QVariantList({QStringLiteral("Passive")}));
    EXPECT_EQ(item.newIconCount(), 1);
}

TEST(StatusNotifierItem, ANewToolTipWaitsOnlyForHostsThatReadEverythingAgain) {
    StatusNotifierItem item(6, {});
    ASSERT_TRUE(item.isExported());
    // This test's connection plays the host: it hears the signals and reads.
    test::SignalRecorder recorder;
    ASSERT_TRUE(recorder.listenTo(item.serviceName()));
    const auto heard = [&](const QString& member) {
        return static_cast<int>(recorder.members().count(member));
    };
    const auto toolTipRead = [&] {
        registerTrayTypes();
        return qdbus_cast<TrayToolTip>(getAll(item.serviceName()).value(QStringLiteral("ToolTip")))
            .text;
    };
    const auto showing = [&](const char* reading, QRgb colour) {
        item.setIcon(onePixmap(colour));
        item.setToolTip({{}, {}, QStringLiteral("CPU"), QString::fromLatin1(reading)});
    };

    // No host has read yet, so none is known to read again.
    item.setToolTip({{}, {}, QStringLiteral("CPU"), QStringLiteral("1%")});
    ASSERT_TRUE(waitUntil([&] { return heard(QStringLiteral("NewToolTip")) == 1; }));

    // The host reads everything after the icon's signal: that read carries the tool tip.
    toolTipRead();
    showing("2%", qRgba(255, 0, 0, 255));
    ASSERT_TRUE(waitUntil([&] { return heard(QStringLiteral("NewIcon")) == 1; }));
    EXPECT_EQ(toolTipRead(), QStringLiteral("2%"));
    waitUntil([] { return false; }, StatusNotifierItem::kToolTipWaitMilliseconds + 300);
    EXPECT_EQ(heard(QStringLiteral("NewToolTip")), 1);

    // A tool tip with no signal before it goes out at once: the read right
    // after would have ended any wait.
    item.setToolTip({{}, {}, QStringLiteral("CPU"), QStringLiteral("3%")});
    EXPECT_EQ(toolTipRead(), QStringLiteral("3%"));
    ASSERT_TRUE(waitUntil([&] { return heard(QStringLiteral("NewToolTip")) == 2; }));

    // A host that does not read after the icon gets the tool tip's signal after the wait.
    showing("4%", qRgba(0, 0, 255, 255));
    ASSERT_TRUE(waitUntil([&] { return heard(QStringLiteral("NewToolTip")) == 3; }));

    // Once a host reads the tool tip by itself, it goes out at once, whatever others read.
    toolTipRead();
    EXPECT_TRUE(itemProperty(item.serviceName(), QStringLiteral("ToolTip")).isValid());
    showing("5%", qRgba(0, 255, 0, 255));
    EXPECT_EQ(toolTipRead(), QStringLiteral("5%"));
    ASSERT_TRUE(waitUntil([&] { return heard(QStringLiteral("NewToolTip")) == 4; }));
}

TEST(StatusNotifierItem, ARequestMayEndTheItemThatHeardIt) {
    std::unique_ptr<StatusNotifierItem> item;
    std::optional<std::pair<int, int>> clickedAt;
    StatusNotifierItem::Requests requests;
    requests.activate = [&](int x, int y) {
        clickedAt = std::make_pair(x, y);
        item.reset();
    };
    item = std::make_unique<StatusNotifierItem>(6, std::move(requests));
    ASSERT_TRUE(item->isExported());
    const QString service = item->serviceName();
    EXPECT_TRUE(isOnTheBus(service));

    const QDBusMessage reply =
        callItem(service, kItemInterface, QStringLiteral("Activate"), {7, 9});
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(waitUntil([&] { return !item; }));
    EXPECT_EQ(clickedAt, std::make_pair(7, 9));
    EXPECT_TRUE(waitUntil([&] { return !isOnTheBus(service); }));
}

TEST(PrivateBusConnection, ACallHearsItsAnswerAnErrorOrItsTimeout) {
    // A peer that takes calls and never answers them.
    std::unique_ptr<PrivateBusConnection> silent = PrivateBusConnection::toSessionBus();
    ASSERT_TRUE(silent);
    ASSERT_TRUE(silent->requestName(QStringLiteral("org.velto.Test.Silent")));
    int taken = 0;
    ASSERT_TRUE(silent->registerObject("/", [&](DBusMessage*) {
        ++taken;
        return true;
    }));
    EXPECT_FALSE(silent->registerObject("/", [](DBusMessage*) { return true; }));

    std::unique_ptr<PrivateBusConnection> caller = PrivateBusConnection::toSessionBus();
    ASSERT_TRUE(caller);
    const auto callTo = [&](const char* service, int timeout, std::vector<QString>& heard) {
        DBusMessagePtr message(
            dbus_message_new_method_call(service, "/", "org.velto.Test", "Hello"));
        return caller->call(message.get(), timeout, [&heard](DBusMessage* reply) {
            heard.push_back(dbus_message_get_type(reply) == DBUS_MESSAGE_TYPE_ERROR
                                ? QString::fromUtf8(dbus_message_get_error_name(reply))
                                : QStringLiteral("answer"));
        });
    };

    std::vector<QString> fromNobody, fromSilent, fromDbus;
    ASSERT_TRUE(callTo("org.velto.Test.Nobody", 3000, fromNobody));
    ASSERT_TRUE(callTo("org.velto.Test.Silent", 300, fromSilent));
    ASSERT_TRUE(waitUntil([&] { return !fromNobody.empty() && !fromSilent.empty(); }));
    EXPECT_EQ(fromNobody,
              std::vector<QString>{QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown")});
    EXPECT_EQ(fromSilent,
              std::vector<QString>{QStringLiteral("org.freedesktop.DBus.Error.NoReply")});
    EXPECT_EQ(taken, 1);

    // The bus itself answers, through the same loop.
    DBusMessagePtr ping(dbus_message_new_method_call(
        "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus.Peer", "Ping"));
    ASSERT_TRUE(caller->call(ping.get(), 3000, [&](DBusMessage* reply) {
        fromDbus.push_back(dbus_message_get_type(reply) == DBUS_MESSAGE_TYPE_METHOD_RETURN
                               ? QStringLiteral("answer")
                               : QStringLiteral("error"));
    }));
    ASSERT_TRUE(waitUntil([&] { return !fromDbus.empty(); }));
    EXPECT_EQ(fromDbus, std::vector<QString>{QStringLiteral("answer")});

    // An answer may end the connection that heard it.
    std::unique_ptr<PrivateBusConnection> once = PrivateBusConnection::toSessionBus();
    ASSERT_TRUE(once);
    DBusMessagePtr again(dbus_message_new_method_call(
        "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus.Peer", "Ping"));
    bool ended = false;
    ASSERT_TRUE(once->call(again.get(), 3000, [&](DBusMessage*) {
        once.reset();
        ended = true;
    }));
    ASSERT_TRUE(waitUntil([&] { return ended; }));

    // A connection that goes while a call is out never calls back.
    std::vector<QString> afterTheEnd;
    ASSERT_TRUE(callTo("org.velto.Test.Silent", 200, afterTheEnd));
    caller.reset();
    waitUntil([] { return false; }, 400);
    EXPECT_TRUE(afterTheEnd.empty());
}
