#include "WidgetLifecycle.h"

#include "SettingsStore.h"

#include <Platform/UserDefaults.h>
#include <QLabel>
#include <VeltoPluginKit/PublicIPToggleable.h>
#include <cmath>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace velto;
using testing::ElementsAre;
using testing::IsEmpty;
using Action = WidgetLifecycleAction;

namespace {

/// Records each call as "<id> <call>" into a log shared by the widgets of a test.
class RecordingWidget : public VeltoWidget {
public:
    RecordingWidget(QString id, std::vector<std::string>& log) : m_id(std::move(id)), m_log(log) {}
    QString id() const override { return m_id; }
    QString displayName() const override { return m_id; }
    void start(double interval) override { note("start " + QString::number(interval)); }
    void stop() override { note(QStringLiteral("stop")); }
    std::unique_ptr<QWidget> menuBarView() override { return std::make_unique<QLabel>(); }
    std::unique_ptr<QWidget> detailView() override { return std::make_unique<QLabel>(); }

protected:
    void note(const QString& call) { m_log.push_back((m_id + ' ' + call).toStdString()); }

private:
    QString m_id;
    std::vector<std::string>& m_log;
};

class RecordingNetworkWidget final : public RecordingWidget, public PublicIPToggleable {
public:
    using RecordingWidget::RecordingWidget;
    void setPublicIPLookupEnabled(bool on) override { note(on ? "publicIP on" : "publicIP off"); }
};

class WidgetLifecycleTrackerTest : public testing::Test {
protected:
    platform::UserDefaults defaults{QStringLiteral("org.velto.lifecycle-tests")};
    SettingsStore settings{defaults};
    WidgetLifecycleTracker tracker{settings};
    std::vector<std::string> log;
    std::shared_ptr<VeltoWidget> cpu =
        std::make_shared<RecordingWidget>(QStringLiteral("cpu"), log);
    std::shared_ptr<VeltoWidget> network =
        std::make_shared<RecordingNetworkWidget>(QStringLiteral("network"), log);
};

} // namespace

TEST(WidgetLifecycleRules, ActionAndItemWidth) {
    EXPECT_EQ(WidgetLifecycle::action(std::nullopt, true, 2.0), Action::start(2.0));
    EXPECT_EQ(WidgetLifecycle::action(2.0, true, 2.0), Action::none());
    EXPECT_EQ(WidgetLifecycle::action(2.0, true, 5.0), Action::start(5.0));
    EXPECT_EQ(WidgetLifecycle::action(std::nullopt, false, 2.0), Action::none());
    EXPECT_EQ(WidgetLifecycle::action(2.0, false, 2.0), Action::stop());
    const double justAbove = std::nextafter(2.0, 3.0);
    EXPECT_EQ(WidgetLifecycle::action(2.0, true, justAbove), Action::start(justAbove));
    EXPECT_NE(Action::start(1.0), Action::start(2.0));

    EXPECT_EQ(WidgetLifecycle::itemWidth(0, 37.2), 42);
    EXPECT_EQ(WidgetLifecycle::itemWidth(42, 37.2), 42);
    EXPECT_EQ(WidgetLifecycle::itemWidth(42, 40.5), 45);
    EXPECT_EQ(WidgetLifecycle::itemWidth(42, std::nan("")), 42);
}

TEST_F(WidgetLifecycleTrackerTest, StartRestartWithANewIntervalStopAndStartAgain) {
    settings.setRefreshInterval(2);
    tracker.apply(*cpu);
    tracker.apply(*cpu);
    EXPECT_EQ(tracker.runningInterval(QStringLiteral("cpu")), 2.0);
    settings.setRefreshInterval(5);
    tracker.apply(*cpu);
    EXPECT_EQ(tracker.runningInterval(QStringLiteral("cpu")), 5.0);
    settings.setEnabled(false, QStringLiteral("cpu"));
    tracker.apply(*cpu);
    tracker.apply(*cpu);
    EXPECT_EQ(tracker.runningInterval(QStringLiteral("cpu")), std::nullopt);
    settings.setEnabled(true, QStringLiteral("cpu"));
    tracker.apply(*cpu);
    EXPECT_THAT(log, ElementsAre("cpu start 2", "cpu start 5", "cpu stop", "cpu start 5"));
}

TEST_F(WidgetLifecycleTrackerTest, DisabledWidgetsAreNeverCalledAndBadIntervalsMeanOneSecond) {
    settings.setEnabled(false, QStringLiteral("cpu"));
    tracker.applyEnabledState({cpu});
    EXPECT_THAT(log, IsEmpty());
    settings.setEnabled(true, QStringLiteral("cpu"));
    settings.setRefreshInterval(0);
    tracker.apply(*cpu);
    settings.setRefreshInterval(-3);
    tracker.apply(*network);
    EXPECT_THAT(log, ElementsAre("cpu start 1", "network start 1"));
}

TEST_F(WidgetLifecycleTrackerTest, EveryApplySendsThePublicIPSettingFirstInPresentationOrder) {
    tracker.applyEnabledState({network, cpu});
    EXPECT_THAT(log, ElementsAre("network publicIP on", "network start 1", "cpu start 1"));

    log.clear();
    tracker.applyEnabledState({network, cpu});
    EXPECT_THAT(log, ElementsAre("network publicIP on")) << "nothing changed but the IP setting";

    log.clear();
    settings.setPublicIPLookupEnabled(false);
    settings.setEnabled(false, QStringLiteral("network"));
    tracker.applyEnabledState({network, cpu});
    EXPECT_THAT(log, ElementsAre("network publicIP off", "network stop"));
}
