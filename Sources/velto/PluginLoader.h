#pragma once

#include "PluginDirectoryWatcher.h"
#include "TextOrder.h"

#include <Platform/CodeSignature.h>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <VeltoPluginKit/Observable.h>
#include <VeltoPluginKit/VeltoWidget.h>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>

namespace velto {

namespace platform {
class UserDefaults;
}

/// Asked with the signer's identity before a third-party plug-in first loads; true = load.
using ConsentFunction = std::function<bool(const QString& identity)>;
/// Receives the widgets of the bundles that one rescan loaded, in bundle file-name order.
using NewWidgetsFunction = std::function<void(WidgetList widgets)>;

/**
 * Finds plug-in bundles in the built-in and the user folder, checks each one
 * (code seal, plug-in API version, the user's consent for third-party
 * bundles, a PluginEntry principal class), loads its code and collects the
 * widgets it makes. Every skipped bundle leaves one diagnostic, keyed by its
 * file name; diagnosticMessages() publishes them ordered by that name.
 *
 * A bundle that passed the seal and version checks is never looked at again
 * in this process, so folders can be rescanned as often as needed.
 */
class PluginLoader : public Observable {
    Q_OBJECT
public:
    explicit PluginLoader(platform::UserDefaults& defaults);
    ~PluginLoader() override;

    /// Creates the user folder, then loads the built-in bundles and the user's.
    WidgetList loadAll(const QString& builtInDirectory, const QString& userDirectory,
                       const ConsentFunction& warnBeforeFirstThirdPartyLoad);

    /// Loads the bundles of one folder that were not handled yet.
    WidgetList loadBundles(const QString& directory, bool isThirdParty,
                           const ConsentFunction& warnBeforeFirstThirdPartyLoad);

    /**
     * Watches @p directory and, after each batch of changes below it, loads the
     * third-party bundles there that were not handled yet. A rescan that loaded
     * any widget hands them all to @p onNewWidgets in one call; one that loaded
     * nothing calls nothing. The watcher is started; the rescans stop when it or
     * this loader is destroyed.
     */
    std::unique_ptr<PluginDirectoryWatcher>
    watchForNewPlugins(const QString& directory, ConsentFunction warnBeforeFirstThirdPartyLoad,
                       NewWidgetsFunction onNewWidgets);

    /// One message per skipped bundle, in ascending order of bundle file name.
    const QStringList& diagnosticMessages() const { return m_diagnosticMessages; }

    /// The ".bundle" entries of @p directory, hidden ones included, sorted by file name.
    static QStringList bundles(const QString& directory);
    static void ensureDirectoryExists(const QString& directory);
    /// VeltoPluginAPIVersion is present and is the number 1.
    static bool isAPIVersionCompatible(const QJsonObject& infoDictionary);

    static bool hasValidSignature(const QString& bundlePath);
    static QString signingIdentity(const QString& bundlePath);
    static std::optional<QString> codeUniqueIdentifier(const QString& bundlePath);
    bool hasWarnedAboutThirdPartyPlugin(const QString& identifier) const;
    void markWarnedAboutThirdPartyPlugin(const QString& identifier);

    static QString consentKey(const QString& identifier);

private:
    WidgetList load(const QString& bundlePath, bool isThirdParty,
                    const ConsentFunction& warnBeforeFirstThirdPartyLoad);
    std::optional<WidgetList> loadCode(const QString& bundlePath, const QJsonObject& info,
                                       const platform::VerifiedBundle& verified) const;
    void record(const QString& name, const QString& ending);
    void removeDiagnostic(const QString& name);
    void publishDiagnostics();

    std::map<QString, QString, CodePointLess> m_diagnosticsByBundle;
    std::set<QString> m_handledBundlePaths;
    QStringList m_diagnosticMessages;
    platform::UserDefaults& m_defaults;
};

} // namespace velto
