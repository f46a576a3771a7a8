#include "SettingsView.h"

#include "PluginLoader.h"
#include "SettingsStore.h"
#include "UpdateControls.h"
#include "UpdatesSection.h"

#include <Platform/Updater.h>
#include <Platform/UserDefaults.h>
#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <Support/TestEnvironment.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace velto;

namespace {

class NamedWidget final : public VeltoWidget {
public:
    NamedWidget(QString id, QString name) : m_id(std::move(id)), m_name(std::move(name)) {}
    QString id() const override { return m_id; }
    QString displayName() const override { return m_name; }
    void start(double) override {}
    void stop() override {}
    std::unique_ptr<QWidget> menuBarView() override { return nullptr; }
    std::unique_ptr<QWidget> detailView() override { return nullptr; }

private:
    QString m_id;
    QString m_name;
};

class FakeUpdater final : public platform::Updater {
public:
    bool canCheckForUpdates() const override { return canCheck; }
    bool automaticallyChecksForUpdates() const override { return automatic; }
    void setAutomaticallyChecksForUpdates(bool enabled) override { automatic = enabled; }
    void checkForUpdates() override { ++checks; }
    void report(bool value) {
        canCheck = value;
        Q_EMIT canCheckForUpdatesChanged(value);
    }
    bool canCheck = true;
    bool automatic = false;
    int checks = 0;
};

class SettingsViewTest : public testing::Test {
protected:
    std::unique_ptr<SettingsView> makeView(WidgetList widgets, UpdateControls* controls = nullptr) {
        auto view = std::make_unique<SettingsView>(settings, std::move(widgets), loader, controls,
                                                   [this] { ++toggles; });
        view->resize(360, 460);
        return view;
    }
    static void settle() { QTest::qWait(20); }
    static void render(SettingsView& view, const char* name) {
        view.show();
        settle();
        view.grab().save(test::renderPath(QString::fromLatin1(name)));
    }

    platform::UserDefaults defaults{QStringLiteral("org.velto.settings-view")};
    SettingsStore settings{defaults};
    PluginLoader loader{defaults};
    int toggles = 0;
};

WidgetList gauges() {
    return {std::make_shared<NamedWidget>(QStringLiteral("cpu"), QStringLiteral("CPU")),
            std::make_shared<NamedWidget>(QStringLiteral("ram"), QStringLiteral("Memory"))};
}

} // namespace

TEST_F(SettingsViewTest, WidgetSwitchesWriteThroughTheStoreAndReapplyOnce) {
    const auto view = makeView(gauges());
    QCheckBox* ram = view->widgetSwitch(QStringLiteral("ram"));
    ASSERT_NE(ram, nullptr);
    EXPECT_EQ(ram->text(), QStringLiteral("Memory"));
    EXPECT_TRUE(ram->isChecked());

    ram->click();
    EXPECT_EQ(defaults.value(QStringLiteral("widget.ram.enabled")), QJsonValue(false));
    EXPECT_EQ(toggles, 1);

    view->launchAtLoginSwitch()->click();
    EXPECT_EQ(toggles, 1) << "the menu bar does not depend on launch at login";
    view->publicIPSwitch()->click();
    view->compactSwitch()->click();
    EXPECT_EQ(toggles, 3);
    EXPECT_EQ(settings.compactMenuBar(), view->compactSwitch()->isChecked());
}

TEST_F(SettingsViewTest, TheStepperStaysWithinItsBounds) {
    defaults.setValue(QStringLiteral("refreshInterval"), 0);
    const auto view = makeView({});
    EXPECT_EQ(view->refreshText()->text(), QStringLiteral("Refresh every 1.0s"));

    view->increaseButton()->click();
    settle();
    EXPECT_EQ(settings.refreshInterval(), 1.5);
    EXPECT_EQ(view->refreshText()->text(), QStringLiteral("Refresh every 1.5s"));
    EXPECT_EQ(toggles, 1);

    settings.setRefreshInterval(5.0);
    settle();
    EXPECT_FALSE(view->increaseButton()->isEnabled());
    EXPECT_EQ(SettingsView::steppedInterval(5.0, +1), 5.0);
    EXPECT_EQ(SettingsView::steppedInterval(0.5, -1), 0.5);
    EXPECT_EQ(SettingsView::steppedInterval(7.0, -1), 5.0);
    EXPECT_EQ(SettingsView::steppedInterval(2.5, -1), 2.0);
    settings.setRefreshInterval(0.5);
    settle();
    view->decreaseButton()->click();
    EXPECT_EQ(settings.refreshInterval(), 0.5);
    EXPECT_EQ(toggles, 1);
}

TEST_F(SettingsViewTest, TheFormOrderWithAndWithoutUpdates) {
    const auto formRows = [](const SettingsView& view) {
        QLayout* form = view.widget(0)->layout();
        QStringList kinds;
        for (int i = 0; i < form->count(); ++i) {
            if (QWidget* widget = form->itemAt(i)->widget())
                kinds.append(QString::fromLatin1(widget->metaObject()->className()));
            else
                kinds.append(QStringLiteral("stepper"));
        }
        return kinds;
    };
    const auto bare = makeView({});
    EXPECT_THAT(formRows(*bare), testing::ElementsAre("stepper", "QCheckBox", "QCheckBox",
                                                      "QCheckBox", "QLabel", "QPushButton"));
    render(*bare, "settings-window.png");

    FakeUpdater updater;
    UpdateControls controls(updater);
    const auto full = makeView(gauges(), &controls);
    EXPECT_THAT(formRows(*full),
                testing::ElementsAre("QCheckBox", "QCheckBox", "stepper", "QCheckBox", "QCheckBox",
                                     "QCheckBox", "QLabel", "velto::UpdatesSection",
                                     "QPushButton"));
    EXPECT_EQ(full->tabText(0), QStringLiteral("Settings"));
    EXPECT_EQ(full->tabText(1), QStringLiteral("Diagnostics"));
    render(*full, "settings-window-updates.png");
}

TEST_F(SettingsViewTest, TheCheckButtonFollowsTheUpdater) {
    FakeUpdater updater;
    UpdateControls controls(updater);
    UpdatesSection section(controls);
    updater.report(false);
    settle();
    EXPECT_FALSE(section.checkButton()->isEnabled());
    updater.report(true);
    settle();
    ASSERT_TRUE(section.checkButton()->isEnabled());
    section.checkButton()->click();
    EXPECT_EQ(updater.checks, 1);
    section.automaticToggle()->click();
    EXPECT_TRUE(updater.automatic);
    EXPECT_TRUE(section.versionLabel()->text().startsWith(QStringLiteral("Version ")));
}
