// velto's entry point: builds the system in a fixed order, loads the plug-in
// bundles, and runs the event loop on the main thread.

#include "ApplicationWiring.h"
#include "Console.h"
#include "PluginLoader.h"
#include "ReopenDelegate.h"
#include "SmokeTest.h"
#include "ThirdPartyConsent.h"

#include <Platform/Application.h>
#include <Platform/MainBundle.h>
#include <Platform/StandardPaths.h>
#include <Platform/UserDefaults.h>
#include <QApplication>
#include <memory>
#include <optional>

#ifndef VELTO_BUNDLE_IDENTIFIER
#define VELTO_BUNDLE_IDENTIFIER "org.velto.velto"
#endif

using namespace velto;

namespace {

QStringList commandLine(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

void printSmokeTestSummary(const QStringList& arguments, const WidgetList& widgets,
                           const PluginLoader& loader) {
    const std::optional<double> seconds = SmokeTest::exitAfterSeconds(arguments);
    if (!seconds)
        return;
    QStringList ids;
    for (const auto& widget : widgets)
        ids.append(widget->id());
    Console::printLine(SmokeTest::loadedWidgetsLine(ids));
    for (const QString& message : loader.diagnosticMessages())
        Console::printLine(SmokeTest::diagnosticLine(message));
    platform::Application::runOnMainQueue(*seconds, [] { platform::Application::terminate(0); });
}

} // namespace

int main(int argc, char** argv) {
    // Qt takes its own options out of argv; the smoke-test option is looked for
    // in the whole command line as it was given.
    const QStringList arguments = commandLine(argc, argv);

    // 1. The application, as an accessory: no main window, no taskbar entry.
    platform::Application::quietQtMessages();
    platform::Application::chooseDisplayPlatform();
    QApplication app(argc, argv);
    platform::Application::makeAccessory();

    // 2. Smoke-test mode.
    StartupContext context;
    context.isSmokeTest = SmokeTest::isRequested(arguments);
    if (context.isSmokeTest)
        Console::makeOutputUnbuffered();

    // velto launched again while it runs: the running copy opens its settings
    // window and this launch ends here. A smoke-test run is never handed over.
    const QString bundleIdentifier =
        platform::MainBundle::bundleIdentifier(QStringLiteral(VELTO_BUNDLE_IDENTIFIER));
    if (ReopenDelegate::handOverToRunningInstance(arguments, bundleIdentifier))
        return 0;

    // 3. and 4. The settings domain; the smoke test's suite is wiped first.
    const QString smokeTestDefaultsDomain = SmokeTest::defaultsDomain(bundleIdentifier);
    if (context.isSmokeTest)
        platform::UserDefaults::removePersistentDomain(smokeTestDefaultsDomain);
    platform::UserDefaults defaults(context.isSmokeTest ? smokeTestDefaultsDomain
                                                        : bundleIdentifier);
    context.defaults = &defaults;

    // 5. First place of the application wiring: migration, then the settings store.
    ApplicationWiring::prepareSettings(context);

    // 6. to 8. The loader and the two plug-in folders.
    PluginLoader loader(defaults);
    context.loader = &loader;
    context.builtInDirectory = platform::MainBundle::builtInPluginsPath();
    context.userDirectory = platform::StandardPaths::userPluginFolder();

    // 9. The first load.
    const bool isSmokeTest = context.isSmokeTest;
    context.widgets = loader.loadAll(
        context.builtInDirectory, context.userDirectory, [isSmokeTest](const QString& identity) {
            return warnBeforeFirstThirdPartyLoad(identity, isSmokeTest);
        });

    // 10. Say so when nothing loaded: usually a build that was not packaged.
    if (context.widgets.empty())
        Console::printError(
            QStringLiteral(
                "velto: loaded zero widgets \u2014 no plug-in bundle was found in %1. A plain "
                "build of the velto target leaves the plug-ins out of the application "
                "bundle; build and package it with scripts/package (or run scripts/run).")
                .arg(context.builtInDirectory));

    // 11. Second place of the application wiring: updater, status bar, delegate, folder watcher.
    ApplicationWiring::presentApplication(context);

    // 12. The smoke-test summary and its exit.
    printSmokeTestSummary(arguments, context.widgets, loader);

    // 13. The event loop.
    return app.exec();
}
