#include "Platform/UserDefaults.h"

#include "Platform/StandardPaths.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QLockFile>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace velto::platform {

namespace {

// Settings are a few kilobytes; anything this large is not ours.
constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;
constexpr qint64 kReadChunkBytes = 64 * 1024;
// A writer holds the lock for milliseconds. A lock whose owner died is taken
// over at once (QLockFile checks the PID); one held this long by a live
// process is treated as abandoned. A writer killed between creating the lock
// file and writing its PID leaves a lock with no owner to check, which only
// its age can free: the wait must outlast the stale time, or every write
// after such a crash would fail.
constexpr int kStaleLockMs = 4'000;
constexpr int kLockWaitMs = 6'000;
constexpr std::chrono::microseconds kMaxLockPause{5'000};

// Identifies one version of the file. An atomic replacement changes the inode,
// an in-place edit the size or the times.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    static FileStamp of(const struct stat& info) {
        return {info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
    }
    friend bool operator==(const FileStamp& a, const FileStamp& b) {
        return a.device == b.device && a.inode == b.inode && a.size == b.size &&
               a.modified.tv_sec == b.modified.tv_sec && a.modified.tv_nsec == b.modified.tv_nsec &&
               a.changed.tv_sec == b.changed.tv_sec && a.changed.tv_nsec == b.changed.tv_nsec;
    }
};

/// The stamp of @p path, or nothing when it cannot be seen (missing, or a folder we may not read).
std::optional<FileStamp> stampOfPath(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return FileStamp::of(info);
}

bool pathIsAbsent(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) != 0 && errno == ENOENT;
}

enum class FileState {
    Missing,    // no file: an empty domain
    Object,     // a JSON object, possibly empty
    Corrupt,    // there, readable, but not a JSON object we accept
    Unreadable, // there, but cannot be opened (permissions, a folder)
};

struct FileContents {
    FileState state = FileState::Missing;
    QJsonObject object;
    std::optional<FileStamp> stamp;
};

FileContents readDomainFile(const QString& path) {
    // Anything but a regular file is left alone; opening a FIFO would block.
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISREG(info.st_mode))
        return {FileState::Unreadable, {}, FileStamp::of(info)};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (pathIsAbsent(path))
            return {};
        return {FileState::Unreadable, {}, stampOfPath(path)};
    }
    // Stamp the open file before reading it: a change made after this point
    // gives a newer stamp, so the next read notices it.
    if (::fstat(file.handle(), &info) != 0)
        return {FileState::Unreadable, {}, stampOfPath(path)};
    FileContents contents{FileState::Corrupt, {}, FileStamp::of(info)};
    if (info.st_size > kMaxFileBytes)
        return contents;
    // In chunks, so a file that grows while we read still stops at the cap.
    QByteArray bytes;
    bytes.reserve(info.st_size);
    for (;;) {
        const QByteArray chunk = file.read(kReadChunkBytes);
        if (chunk.isEmpty())
            break;
        bytes += chunk;
        if (bytes.size() > kMaxFileBytes)
            return contents;
    }
    if (file.error() != QFileDevice::NoError)
        return {FileState::Unreadable, {}, contents.stamp};
    // Nothing to lose in a blank file, so it is simply an empty domain.
    if (bytes.trimmed().isEmpty()) {
        contents.state = FileState::Object;
        return contents;
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return contents;
    contents.state = FileState::Object;
    contents.object = document.object();
    return contents;
}

// rename() replaces an older .corrupt file in one step.
bool moveAside(const QString& path) {
    const QByteArray from = QFile::encodeName(path);
    const QByteArray to = QFile::encodeName(path + QStringLiteral(".corrupt"));
    return ::rename(from.constData(), to.constData()) == 0;
}

bool isValidDomainName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QChar(u'\0'));
}

QString resolveFolder(const QString& folder) {
    return QDir::cleanPath(folder.isEmpty() ? StandardPaths::defaultsFolder() : folder);
}

QString domainPath(const QString& folder, const QString& name) {
    return folder + QLatin1Char('/') + name + QStringLiteral(".json");
}

// QLockFile::tryLock(timeout) sleeps ever longer between tries, so a writer
// waiting on one that writes in a loop may never find the lock free. Polling
// with short pauses keeps the wait fair; each try also clears a stale lock.
//
// QLockFile takes a stale lock over while it holds "<lock>.rmlock", a second
// lock with Qt's own stale time of 30 s. A writer killed in that moment leaves
// a removal lock with no owner, which would keep every writer out for those
// 30 s; it is only ever held for the instant of a removal, so one older than
// our stale time is abandoned and removed.
void removeAbandonedRemovalLock(const QLockFile& lock) {
    const QString removalLock = lock.fileName() + QStringLiteral(".rmlock");
    const QFileInfo info(removalLock);
    if (info.exists() && info.lastModified().msecsTo(QDateTime::currentDateTime()) > kStaleLockMs)
        QFile::remove(removalLock);
}

bool takeLock(QLockFile& lock) {
    lock.setStaleLockTime(kStaleLockMs);
    QElapsedTimer waited;
    waited.start();
    std::chrono::microseconds pause{200};
    for (;;) {
        if (lock.tryLock(0))
            return true;
        if (lock.error() != QLockFile::LockFailedError || waited.elapsed() >= kLockWaitMs)
            return false;
        if (waited.elapsed() >= kStaleLockMs)
            removeAbandonedRemovalLock(lock);
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, kMaxLockPause);
    }
}

} // namespace

struct UserDefaults::State {
    bool loaded = false;
    std::optional<FileStamp> stamp;
    QJsonObject object;

    void refresh(const QString& path) {
        const std::optional<FileStamp> current = stampOfPath(path);
        if (loaded && current == stamp)
            return;
        FileContents contents = readDomainFile(path);
        loaded = true;
        stamp = contents.stamp;
        object = contents.state == FileState::Object ? std::move(contents.object) : QJsonObject{};
    }
};

UserDefaults::UserDefaults(QString name, QString folder)
    : m_name(std::move(name)), m_folder(resolveFolder(folder)), m_state(std::make_unique<State>()) {
}

UserDefaults::~UserDefaults() = default;

QString UserDefaults::filePath() const {
    return domainPath(m_folder, m_name);
}

std::optional<QJsonValue> UserDefaults::value(const QString& key) const {
    const QJsonObject object = dictionaryRepresentation();
    const auto found = object.constFind(key);
    if (found == object.constEnd())
        return std::nullopt;
    return found.value();
}

std::optional<bool> UserDefaults::boolValue(const QString& key) const {
    const std::optional<QJsonValue> stored = value(key);
    if (!stored || !stored->isBool())
        return std::nullopt;
    return stored->toBool();
}

QJsonObject UserDefaults::dictionaryRepresentation() const {
    if (!isValidDomainName(m_name))
        return {};
    m_state->refresh(filePath());
    return m_state->object;
}

bool UserDefaults::setValue(const QString& key, const QJsonValue& value) {
    // QJsonObject treats an undefined value as removal; say so explicitly.
    if (value.isUndefined())
        return write(key, std::nullopt);
    return write(key, value);
}

bool UserDefaults::removeValue(const QString& key) {
    return write(key, std::nullopt);
}

bool UserDefaults::write(const QString& key, const std::optional<QJsonValue>& value) {
    if (!isValidDomainName(m_name) || !QDir().mkpath(m_folder))
        return false;
    const QString path = filePath();
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!takeLock(lock))
        return false;

    // Merge into what is on disk now, not into our cache: another process may
    // have written since we last looked.
    FileContents current = readDomainFile(path);
    switch (current.state) {
    case FileState::Unreadable:
        return false;
    case FileState::Corrupt:
        if (!moveAside(path))
            return false;
        current = FileContents{};
        break;
    case FileState::Missing:
    case FileState::Object:
        break;
    }

    QJsonObject object = std::move(current.object);
    if (value) {
        object.insert(key, *value);
    } else if (object.contains(key)) {
        object.remove(key);
    } else {
        // Nothing to remove: leave the file as it is.
        m_state->loaded = true;
        m_state->stamp = current.stamp;
        m_state->object = std::move(object);
        return true;
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = QJsonDocument(object).toJson(QJsonDocument::Indented);
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        return false;

    // Still under the lock, so the stamp belongs to the file just written.
    m_state->loaded = true;
    m_state->stamp = stampOfPath(path);
    m_state->object = std::move(object);
    return true;
}

bool UserDefaults::removePersistentDomain(const QString& name, const QString& folder) {
    if (!isValidDomainName(name))
        return false;
    const QString path = domainPath(resolveFolder(folder), name);
    if (pathIsAbsent(path))
        return true;
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!takeLock(lock))
        return false;
    ::unlink(QFile::encodeName(path).constData());
    return pathIsAbsent(path);
}

} // namespace velto::platform
