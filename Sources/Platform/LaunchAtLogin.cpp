#include "Platform/LaunchAtLogin.h"

#include "Platform/DesktopEntry.h"
#include "Platform/StandardPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <optional>
#include <sys/stat.h>
#include <utility>

namespace velto::platform {

namespace {

const QString kEntryName = QStringLiteral("velto.desktop");
// A hand-made entry is a few hundred bytes; anything larger is not one.
constexpr qint64 kMaxEntryBytes = 64 * 1024;

std::optional<QString> valueOf(const std::map<QString, QString>& group, const QString& key) {
    const auto found = group.find(key);
    if (found == group.end())
        return std::nullopt;
    return found->second;
}

// Only a regular file is read: a FIFO in its place would block the open.
std::optional<QByteArray> readEntry(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size > kMaxEntryBytes)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.read(kMaxEntryBytes + 1);
    if (bytes.size() > kMaxEntryBytes)
        return std::nullopt;
    return bytes;
}

// Both sides resolved where they exist, so a link to the same file counts.
bool isSameProgram(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty())
        return false;
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    const QString canonicalB = QFileInfo(b).canonicalFilePath();
    if (!canonicalA.isEmpty() && !canonicalB.isEmpty())
        return canonicalA == canonicalB;
    return QDir::cleanPath(a) == QDir::cleanPath(b);
}

struct EntryState {
    bool exists = false;
    bool runsExecutable = false;
    bool switchedOff = false;
};

EntryState inspect(const QString& path, const QString& executable) {
    const std::optional<QByteArray> bytes = readEntry(path);
    if (!bytes)
        return {QFileInfo::exists(path), false, false};
    const std::map<QString, QString> group = DesktopEntry::mainGroup(*bytes);
    EntryState state{true, false, false};
    if (const std::optional<QString> exec = valueOf(group, QStringLiteral("Exec"))) {
        const std::optional<QStringList> arguments = DesktopEntry::execArguments(*exec);
        state.runsExecutable = arguments && isSameProgram(arguments->first(), executable);
    }
    const std::optional<QString> gnomeEnabled =
        valueOf(group, QStringLiteral("X-GNOME-Autostart-enabled"));
    state.switchedOff = DesktopEntry::isTrue(valueOf(group, QStringLiteral("Hidden"))) ||
                        (gnomeEnabled && *gnomeEnabled == QLatin1String("false"));
    return state;
}

} // namespace

LaunchAtLogin::LaunchAtLogin(QString autostartFolder, QString executable)
    : m_autostartFolder(std::move(autostartFolder)), m_executable(std::move(executable)) {}

QString LaunchAtLogin::entryPath() const {
    const QString folder = m_autostartFolder.isEmpty()
                               ? StandardPaths::configHome() + QStringLiteral("/autostart")
                               : m_autostartFolder;
    return QDir::cleanPath(folder) + QLatin1Char('/') + kEntryName;
}

QString LaunchAtLogin::executable() const {
    if (!m_executable.isEmpty())
        return m_executable;
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

bool LaunchAtLogin::isEnabled() const {
    const EntryState state = inspect(entryPath(), executable());
    return state.exists && state.runsExecutable && !state.switchedOff;
}

Status LaunchAtLogin::setEnabled(bool enabled) {
    const QString path = entryPath();
    const QString program = executable();
    if (!enabled) {
        if (!inspect(path, program).runsExecutable)
            return Done{};
        QFile entry(path);
        if (!entry.remove())
            return Status::failure(
                QStringLiteral("cannot remove %1: %2").arg(path, entry.errorString()));
        return Done{};
    }

    if (program.isEmpty())
        return Status::failure(QStringLiteral("the running executable could not be found"));
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return Status::failure(QStringLiteral("cannot create the folder %1").arg(folder));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Status::failure(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = DesktopEntry::autostartEntry(
        QStringLiteral("velto"), QStringLiteral("System monitor in the menu bar"), program);
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return Status::failure(QStringLiteral("cannot write %1: %2").arg(path, reason));
    }
    if (!file.commit())
        return Status::failure(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    return Done{};
}

} // namespace velto::platform
