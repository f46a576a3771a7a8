#include "ApplicationWiring.h"

#include "PluginLoader.h"
#include "StatusItemMigration.h"
#include "ThirdPartyConsent.h"
#include "UpdateChannel.h"

#include <Platform/MainBundle.h>
#include <Platform/StatusBar.h>
#include <QPointer>

#ifndef VELTO_BUNDLE_IDENTIFIER
#define VELTO_BUNDLE_IDENTIFIER "org.velto.velto"
#endif

namespace velto::ApplicationWiring {

// The migration runs on whichever domain start-up chose, the smoke test's
// freshly wiped suite included, before anything reads the status items.
void prepareSettings(StartupContext& context) {
    if (!context.defaults)
        return;
    StatusItemMigration::run(*context.defaults);
    context.settings = std::make_unique<SettingsStore>(*context.defaults);
}

namespace {

// The updater reads its feed choice from the standard domain even in
// smoke-test mode, where every other setting comes from the throw-away suite.
void prepareUpdates(StartupContext& context) {
    const QString standardDomain =
        platform::MainBundle::bundleIdentifier(QStringLiteral(VELTO_BUNDLE_IDENTIFIER));
    context.standardDefaults = std::make_unique<platform::UserDefaults>(standardDomain);
    context.updaterDelegate = std::make_unique<UpdaterDelegate>(*context.standardDefaults);
    context.userDriverDelegate = std::make_unique<UserDriverDelegate>();

    const QJsonObject info = platform::MainBundle::infoDictionary();
    if (!UpdateChannel::isEnabled(info, context.isSmokeTest))
        return;
    auto updater = platform::LinuxUpdater::start(
        platform::UpdaterConfiguration::fromInfoDictionary(info), *context.standardDefaults,
        *context.updaterDelegate, *context.userDriverDelegate);
    if (!updater)
        return;
    context.updater = std::move(updater).value();
    context.updateControls = std::make_unique<UpdateControls>(*context.updater);
}

} // namespace

// The widgets of the first load go to the status bar before the folder is
// watched, so a bundle dropped in meanwhile is presented after them.
void presentApplication(StartupContext& context) {
    prepareUpdates(context);
    if (!context.settings || !context.loader)
        return;

    context.statusBar = std::make_unique<StatusBarController>(*context.settings, *context.loader,
                                                              context.updateControls.get());
    context.statusBar->present(context.widgets);

    StatusBarController* statusBar = context.statusBar.get();
    context.reopenDelegate =
        std::make_unique<ReopenDelegate>(statusBar, [statusBar] { statusBar->openSettings(); });

    const bool isSmokeTest = context.isSmokeTest;
    const QPointer<StatusBarController> weakStatusBar(statusBar);
    // A secondary click on any tray item opens the settings, as the gear does.
    platform::StatusBar::system().setSecondaryAction([weakStatusBar] {
        if (weakStatusBar)
            weakStatusBar->openSettings();
    });
    context.watcher = context.loader->watchForNewPlugins(
        context.userDirectory,
        [isSmokeTest](const QString& identity) {
            return warnBeforeFirstThirdPartyLoad(identity, isSmokeTest);
        },
        [weakStatusBar](WidgetList widgets) {
            if (weakStatusBar)
                weakStatusBar->present(widgets);
        });
}

} // namespace velto::ApplicationWiring
