#include "NetworkCore/NetworkDetailView.h"
#include "NetworkCore/NetworkMenuBarView.h"
#include "NetworkCore/NetworkMetricsSource.h"
#include "Support/TestEnvironment.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace velto {
namespace {

using namespace std::chrono_literals;

// A source whose readings and lookups the test makes up; each show() is one interval
// of exactly one second.
struct FakeNetwork {
    InterfaceState reading;
    std::chrono::steady_clock::time_point now{1s};
    std::vector<NetworkMetricsSource::LookupCompletion> lookups;
    std::shared_ptr<NetworkMetricsSource> source = std::make_shared<NetworkMetricsSource>(
        NetworkMetricsSource::Seams{[this] { return reading; },
                                    [this] { return now; },
                                    {},
                                    [this](NetworkMetricsSource::LookupCompletion done) {
                                        lookups.push_back(std::move(done));
                                    }});

    void show(std::optional<std::string> local, std::vector<InterfaceCounters> before,
              std::vector<InterfaceCounters> after) {
        reading = {local, std::move(before)};
        source->start(3600);
        reading = {local, std::move(after)};
        now += 1s;
        source->tick();
        QCoreApplication::processEvents(); // views redraw on the next turn of the loop
    }
};

QString text(const QWidget& view, const QString& row,
             const QString& child = QStringLiteral("value")) {
    const auto* owner = view.findChild<QWidget*>(row);
    EXPECT_NE(owner, nullptr) << row.toStdString();
    const auto* label = owner ? owner->findChild<QLabel*>(child) : nullptr;
    return label ? label->text() : QString();
}

bool shown(const QWidget& view, const QString& name) {
    const auto* widget = view.findChild<QWidget*>(name);
    return widget != nullptr && widget->isVisibleTo(&view);
}

void render(QWidget& view, const char* file) {
    view.adjustSize();
    EXPECT_TRUE(view.grab().save(test::renderPath(QLatin1String(file))));
}

TEST(NetworkMenuBarViewTest, TwoRateRowsZeroBeforeTheFirstSnapshot) {
    FakeNetwork network;
    NetworkMenuBarView view(network.source);
    EXPECT_EQ(text(view, QStringLiteral("download")), QStringLiteral("  0.0 B/s  "));
    EXPECT_EQ(text(view, QStringLiteral("upload")), QStringLiteral("  0.0 B/s  "));
    render(view, "network-menubar-waiting.png");

    network.show("10.0.0.2", {{"eth0", 0, 0}}, {{"eth0", 1536, 5 * 1024 * 1024}});
    EXPECT_EQ(text(view, QStringLiteral("download")), QStringLiteral("  1.5 KB/s "));
    EXPECT_EQ(text(view, QStringLiteral("upload")), QStringLiteral("  5.0 MB/s "));
    const auto* value = view.findChild<QWidget*>(QStringLiteral("download"))
                            ->findChild<QLabel*>(QStringLiteral("value"));
    EXPECT_EQ(value->fontMetrics().horizontalAdvance(QStringLiteral("  1.5 KB/s ")),
              value->fontMetrics().horizontalAdvance(QStringLiteral("999.9 GB/s ")))
        << "rates keep one width";
    render(view, "network-menubar.png");
}

TEST(NetworkDetailViewTest, WaitingThenRatesAddressesAndInterfacesInNameOrder) {
    FakeNetwork network;
    NetworkDetailView view(network.source);
    EXPECT_EQ(view.width(), 260);
    EXPECT_TRUE(shown(view, QStringLiteral("waiting")));
    EXPECT_FALSE(shown(view, QStringLiteral("details")));
    EXPECT_EQ(view.findChild<QLabel*>(QStringLiteral("waiting"))->text(),
              QString::fromUtf8("Waiting for data\xE2\x80\xA6"));
    render(view, "network-detail-waiting.png");

    network.show("192.168.1.10", {{"eth2", 0, 0}, {"eth10", 0, 0}, {"wlan0", 0, 0}, {"gone", 0, 0}},
                 {{"wlan0", 0, 0}, {"eth10", 2048, 1024}, {"eth2", 100, 0}, {"new0", 5, 5}});
    network.lookups.at(0)("203.0.113.7");
    QCoreApplication::processEvents();
    EXPECT_FALSE(shown(view, QStringLiteral("waiting")));
    EXPECT_EQ(text(view, QStringLiteral("download")), QStringLiteral("  2.1 KB/s "));
    EXPECT_EQ(text(view, QStringLiteral("download"), QStringLiteral("label")),
              QStringLiteral("Download"));
    EXPECT_EQ(text(view, QStringLiteral("upload")), QStringLiteral("  1.0 KB/s "));
    EXPECT_EQ(text(view, QStringLiteral("localIP")), QStringLiteral("192.168.1.10"));
    EXPECT_EQ(text(view, QStringLiteral("publicIP")), QStringLiteral("203.0.113.7"));
    EXPECT_TRUE(shown(view, QStringLiteral("refresh")));

    QStringList order;
    for (const QWidget* row : view.findChild<QWidget*>(QStringLiteral("interfaces"))
                                  ->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        order << row->findChild<QLabel*>(QStringLiteral("label"))->text();
    }
    EXPECT_EQ(order, (QStringList{QStringLiteral("eth10"), QStringLiteral("eth2"),
                                  QStringLiteral("wlan0")}));
    EXPECT_EQ(text(view, QStringLiteral("interface:eth10")), QStringLiteral("  3.0 KB/s "));
    EXPECT_EQ(text(view, QStringLiteral("interface:wlan0")), QStringLiteral("  0.0 B/s  "));
    render(view, "network-detail.png");

    view.findChild<QPushButton*>(QStringLiteral("refresh"))->click();
    EXPECT_EQ(network.lookups.size(), 2u) << "the button asks for a lookup";
    view.findChild<QPushButton*>(QStringLiteral("refresh"))->click();
    EXPECT_EQ(network.lookups.size(), 2u) << "not while one is in flight";
}

TEST(NetworkDetailViewTest, PublicAddressRowFollowsTheLookupSetting) {
    FakeNetwork network;
    NetworkDetailView view(network.source);
    network.show(std::nullopt, {{"eth0", 0, 0}}, {{"eth0", 0, 0}});
    EXPECT_EQ(text(view, QStringLiteral("localIP")), QStringLiteral("unavailable"));
    EXPECT_EQ(text(view, QStringLiteral("publicIP")), QStringLiteral("unavailable"));
    EXPECT_TRUE(shown(view, QStringLiteral("refresh")));
    render(view, "network-detail-no-address.png");

    network.source->setPublicIPLookupEnabled(false);
    QCoreApplication::processEvents();
    EXPECT_EQ(text(view, QStringLiteral("publicIP")), QStringLiteral("lookup off"));
    EXPECT_FALSE(shown(view, QStringLiteral("refresh")));
    render(view, "network-detail-lookup-off.png");
}

} // namespace
} // namespace velto
