#include "ApplicationWiring.h"

#include "PluginLoader.h"
#include "SettingsWindow.h"
#include "UpdatesSection.h"

#include <Platform/UserDefaults.h>
#include <QLabel>
#include <Support/TestEnvironment.h>
#include <gtest/gtest.h>

using namespace velto;

namespace {

class QuietWidget final : public VeltoWidget {
public:
    QString id() const override { return QStringLiteral("cpu"); }
    QString displayName() const override { return QStringLiteral("CPU"); }
    void start(double) override { ++starts; }
    void stop() override {}
    std::unique_ptr<QWidget> menuBarView() override {
        return std::make_unique<QLabel>(QStringLiteral("CPU 5%"));
    }
    std::unique_ptr<QWidget> detailView() override { return std::make_unique<QLabel>(); }
    int starts = 0;
};

} // namespace

// On the application's own status bar: the second place of start-up in a smoke-test run.
TEST(ApplicationWiringTest, TheStatusBarTheDelegateAndTheWatcherComeUpInOrder) {
    platform::UserDefaults defaults(QStringLiteral("org.velto.wiring"));
    PluginLoader loader(defaults);
    const auto widget = std::make_shared<QuietWidget>();
    StartupContext context;
    context.isSmokeTest = true;
    context.defaults = &defaults;
    ApplicationWiring::prepareSettings(context);
    context.loader = &loader;
    context.userDirectory = test::makeTempFolder(QStringLiteral("plugins"));
    context.widgets = {widget};

    ApplicationWiring::presentApplication(context);
    ASSERT_TRUE(context.statusBar && context.reopenDelegate && context.watcher);
    EXPECT_EQ(context.updateControls, nullptr) << "a smoke-test run has no updater";
    EXPECT_EQ(context.statusBar->widgets().size(), 1u);
    EXPECT_EQ(widget->starts, 1);
    EXPECT_TRUE(context.watcher->isWatching());
    EXPECT_EQ(context.watcher->directory(), context.userDirectory);

    // Opening velto again shows the settings window, also when it is open already.
    EXPECT_TRUE(context.reopenDelegate->applicationShouldHandleReopen(false));
    SettingsWindow* window = context.statusBar->settingsWindow();
    ASSERT_TRUE(window && window->isVisible());
    EXPECT_EQ(window->findChild<UpdatesSection*>(), nullptr);
    EXPECT_TRUE(context.reopenDelegate->applicationShouldHandleReopen(true));
    EXPECT_EQ(context.statusBar->settingsWindow(), window);
    EXPECT_TRUE(window->isVisible());
}
