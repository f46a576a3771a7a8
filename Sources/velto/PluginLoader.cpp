#include "PluginLoader.h"

#include "SettingsRules.h"

#include <Platform/Bundle.h>
#include <Platform/CodeResources.h>
#include <Platform/InfoDictionary.h>
#include <Platform/SharedObjectLoader.h>
#include <Platform/UserDefaults.h>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <VeltoPluginKit/PluginClassTable.h>
#include <algorithm>
#include <cstring>

namespace velto {

using platform::Bundle;
using platform::CodeSignature::kAdHocIdentity;

namespace {

const QString kSignatureEnding = QStringLiteral(": invalid or missing signature");
const QString kVersionEnding = QStringLiteral(": incompatible or unreadable plugin API version");
const QString kDeclinedEnding = QStringLiteral(": declined at the third-party load warning");
const QString kEntryEnding = QStringLiteral(": failed to load or find PluginEntry");

/// The consent identifier: the code's unique hash, else CFBundleIdentifier, else the file name.
QString pluginIdentifier(const std::optional<QString>& uniqueIdentifier, const QJsonObject& info,
                         const QString& fileName) {
    if (uniqueIdentifier)
        return *uniqueIdentifier;
    if (const std::optional<QString> identifier =
            platform::InfoDictionary::string(info, QStringLiteral("CFBundleIdentifier")))
        return *identifier;
    return fileName;
}

/// Reads a file the seal lists as a regular file and checks it against its sealed hash.
std::optional<QByteArray> readSealedFile(const Bundle& bundle,
                                         const platform::VerifiedBundle& verified,
                                         const QString& relativePath, qint64 maxBytes) {
    const platform::SealedFile* sealed = verified.file(relativePath);
    if (!sealed || sealed->kind != platform::SealedFile::Kind::File)
        return std::nullopt;
    platform::Result<QByteArray> bytes = bundle.readFile(relativePath, maxBytes);
    if (!bytes || platform::CodeResources::sha256Hex(bytes.value()) != sealed->sha256)
        return std::nullopt;
    return std::move(bytes).value();
}

} // namespace

PluginLoader::PluginLoader(platform::UserDefaults& defaults) : m_defaults(defaults) {}

PluginLoader::~PluginLoader() = default;

WidgetList PluginLoader::loadAll(const QString& builtInDirectory, const QString& userDirectory,
                                 const ConsentFunction& warnBeforeFirstThirdPartyLoad) {
    ensureDirectoryExists(userDirectory);
    WidgetList widgets = loadBundles(builtInDirectory, false, warnBeforeFirstThirdPartyLoad);
    WidgetList user = loadBundles(userDirectory, true, warnBeforeFirstThirdPartyLoad);
    widgets.insert(widgets.end(), std::make_move_iterator(user.begin()),
                   std::make_move_iterator(user.end()));
    return widgets;
}

WidgetList PluginLoader::loadBundles(const QString& directory, bool isThirdParty,
                                     const ConsentFunction& warnBeforeFirstThirdPartyLoad) {
    WidgetList widgets;
    for (const QString& bundlePath : bundles(directory)) {
        WidgetList made = load(bundlePath, isThirdParty, warnBeforeFirstThirdPartyLoad);
        widgets.insert(widgets.end(), std::make_move_iterator(made.begin()),
                       std::make_move_iterator(made.end()));
    }
    return widgets;
}

std::unique_ptr<PluginDirectoryWatcher>
PluginLoader::watchForNewPlugins(const QString& directory,
                                 ConsentFunction warnBeforeFirstThirdPartyLoad,
                                 NewWidgetsFunction onNewWidgets) {
    const QPointer<PluginLoader> loader(this);
    auto rescan = [loader, directory, consent = std::move(warnBeforeFirstThirdPartyLoad),
                   deliver = std::move(onNewWidgets)] {
        if (!loader)
            return;
        WidgetList widgets = loader->loadBundles(directory, true, consent);
        if (!widgets.empty() && deliver)
            deliver(std::move(widgets));
    };
    auto watcher = std::make_unique<PluginDirectoryWatcher>(directory, std::move(rescan));
    watcher->start();
    return watcher;
}

QStringList PluginLoader::bundles(const QString& directory) {
    const QDir folder(directory);
    if (directory.isEmpty() || !folder.isReadable())
        return {};
    QStringList names = folder.entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const QString& name) {
                                   const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
                                   // ".bundle" alone has no base name and so no extension.
                                   return dot <= 0 ||
                                          QStringView(name).mid(dot + 1) != QLatin1String("bundle");
                               }),
                names.end());
    std::sort(names.begin(), names.end(), codePointLess);
    QStringList paths;
    paths.reserve(names.size());
    for (const QString& name : names)
        paths.append(folder.filePath(name));
    return paths;
}

void PluginLoader::ensureDirectoryExists(const QString& directory) {
    if (!directory.isEmpty())
        QDir().mkpath(directory);
}

bool PluginLoader::isAPIVersionCompatible(const QJsonObject& infoDictionary) {
    const QJsonValue version = infoDictionary.value(QStringLiteral("VeltoPluginAPIVersion"));
    return version.isDouble() && version.toDouble() == 1.0;
}

bool PluginLoader::hasValidSignature(const QString& bundlePath) {
    return platform::CodeSignature::verify(bundlePath).has_value();
}

QString PluginLoader::signingIdentity(const QString& bundlePath) {
    return platform::CodeSignature::signingIdentity(bundlePath);
}

std::optional<QString> PluginLoader::codeUniqueIdentifier(const QString& bundlePath) {
    return platform::CodeSignature::uniqueIdentifier(bundlePath);
}

QString PluginLoader::consentKey(const QString& identifier) {
    return QStringLiteral("thirdPartyPluginWarned.") + identifier;
}

bool PluginLoader::hasWarnedAboutThirdPartyPlugin(const QString& identifier) const {
    return SettingsRules::objectAsBool(m_defaults.value(consentKey(identifier)), false);
}

void PluginLoader::markWarnedAboutThirdPartyPlugin(const QString& identifier) {
    m_defaults.setValue(consentKey(identifier), true);
}

WidgetList PluginLoader::load(const QString& bundlePath, bool isThirdParty,
                              const ConsentFunction& warnBeforeFirstThirdPartyLoad) {
    if (m_handledBundlePaths.count(bundlePath))
        return {};
    const QString name = QFileInfo(bundlePath).fileName();

    // The seal that was checked here is the one every later step trusts: the
    // Info dictionary and the code are read once and compared against it.
    const std::optional<platform::VerifiedBundle> verified =
        platform::CodeSignature::verify(bundlePath);
    if (!verified) {
        record(name, kSignatureEnding);
        return {};
    }

    const std::optional<Bundle> bundle = Bundle::open(bundlePath);
    std::optional<QJsonObject> info;
    if (bundle) {
        if (const std::optional<QByteArray> bytes = readSealedFile(
                *bundle, *verified, QString::fromLatin1(platform::InfoDictionary::kRelativePath),
                platform::InfoDictionary::kMaxBytes))
            info = platform::InfoDictionary::parse(*bytes);
    }
    if (!info || !isAPIVersionCompatible(*info)) {
        record(name, kVersionEnding);
        return {};
    }

    m_handledBundlePaths.insert(bundlePath);

    if (isThirdParty) {
        const QString identifier = pluginIdentifier(verified->uniqueIdentifier(), *info, name);
        if (!hasWarnedAboutThirdPartyPlugin(identifier)) {
            const QString identity =
                verified->signerIdentity.value_or(QString::fromUtf8(kAdHocIdentity));
            if (!warnBeforeFirstThirdPartyLoad || !warnBeforeFirstThirdPartyLoad(identity)) {
                record(name, kDeclinedEnding);
                return {};
            }
            markWarnedAboutThirdPartyPlugin(identifier);
        }
    }

    std::optional<WidgetList> widgets = loadCode(bundlePath, *info, *verified);
    if (!widgets) {
        record(name, kEntryEnding);
        return {};
    }
    removeDiagnostic(name);
    return std::move(*widgets);
}

std::optional<WidgetList> PluginLoader::loadCode(const QString& bundlePath, const QJsonObject& info,
                                                 const platform::VerifiedBundle& verified) const {
    const std::optional<QString> executable = Bundle::executableRelativePath(info);
    const std::optional<QString> principalClass =
        platform::InfoDictionary::string(info, QStringLiteral("NSPrincipalClass"));
    const std::optional<Bundle> bundle = Bundle::open(bundlePath);
    if (!executable || !principalClass || !bundle)
        return std::nullopt;

    const std::optional<QByteArray> image = readSealedFile(
        *bundle, verified, *executable, platform::SharedObjectLoader::kMaxObjectBytes);
    if (!image)
        return std::nullopt;
    const auto object =
        platform::SharedObjectLoader::loadImage(*image, QFileInfo(bundlePath).fileName());
    if (!object)
        return std::nullopt;
    const kit::ClassTable* table = platform::SharedObjectLoader::classTable(object.value());
    if (!table)
        return std::nullopt;

    const QByteArray wanted = principalClass->toUtf8();
    for (std::size_t i = 0; i < table->count; ++i) {
        const kit::ClassRecord& record = table->records[i];
        if (!record.name || wanted != record.name)
            continue;
        if (!(record.interfaces & kit::AdoptsPluginEntry) || !record.classObject)
            return std::nullopt;
        const PluginEntry* entry = record.classObject();
        if (!entry)
            return std::nullopt;
        WidgetList widgets = entry->makeWidgets();
        // A null widget would only crash the host later on.
        widgets.erase(std::remove(widgets.begin(), widgets.end(), nullptr), widgets.end());
        return widgets;
    }
    return std::nullopt;
}

void PluginLoader::record(const QString& name, const QString& ending) {
    m_diagnosticsByBundle[name] = QStringLiteral("Skipped ") + name + ending;
    publishDiagnostics();
}

void PluginLoader::removeDiagnostic(const QString& name) {
    m_diagnosticsByBundle.erase(name);
    publishDiagnostics();
}

void PluginLoader::publishDiagnostics() {
    QStringList messages;
    messages.reserve(static_cast<qsizetype>(m_diagnosticsByBundle.size()));
    for (const auto& [name, message] : m_diagnosticsByBundle)
        messages.append(message);
    notifyWillChange();
    m_diagnosticMessages = std::move(messages);
}

} // namespace velto
