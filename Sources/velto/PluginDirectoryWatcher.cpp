#include "PluginDirectoryWatcher.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QPointer>
#include <QSet>
#include <utility>

namespace velto {

PluginDirectoryWatcher::PluginDirectoryWatcher(QString directory, std::function<void()> onChange,
                                               QObject* parent)
    : QObject(parent), m_directory(directory.isEmpty() ? QString() : QDir::cleanPath(directory)),
      m_onChange(std::move(onChange)) {
    m_latency.setSingleShot(true);
    m_latency.setInterval(kLatencyMilliseconds);
    m_latency.setTimerType(Qt::PreciseTimer);
    connect(&m_latency, &QTimer::timeout, this, &PluginDirectoryWatcher::deliver);
}

PluginDirectoryWatcher::~PluginDirectoryWatcher() = default;

void PluginDirectoryWatcher::start() {
    if (!m_stream) {
        if (m_directory.isEmpty() || !QFileInfo(m_directory).isDir())
            return;
        m_stream = std::make_unique<QFileSystemWatcher>();
        connect(m_stream.get(), &QFileSystemWatcher::directoryChanged, this,
                &PluginDirectoryWatcher::noteChange);
        connect(m_stream.get(), &QFileSystemWatcher::fileChanged, this,
                &PluginDirectoryWatcher::noteChange);
    }
    rearm();
    if (!isWatching())
        stop();
}

void PluginDirectoryWatcher::stop() {
    m_latency.stop();
    m_changedWhileDelivering = false;
    m_stream.reset();
}

bool PluginDirectoryWatcher::isWatching() const {
    return m_stream && m_stream->directories().contains(m_directory);
}

void PluginDirectoryWatcher::noteChange() {
    // The first change opens a batch; later ones join it instead of pushing
    // the delivery back, so a steady trickle of changes can't starve rescans.
    if (!m_latency.isActive())
        m_latency.start();
}

void PluginDirectoryWatcher::deliver() {
    if (!m_stream)
        return;
    // A rescan may show the consent alert, whose event loop can bring the
    // next batch in; it waits for this one to finish instead of nesting.
    if (m_delivering) {
        m_changedWhileDelivering = true;
        return;
    }
    rearm();
    m_delivering = true;
    const QPointer<PluginDirectoryWatcher> self(this);
    if (m_onChange)
        m_onChange();
    if (!self)
        return;
    m_delivering = false;
    if (m_changedWhileDelivering && m_stream) {
        m_changedWhileDelivering = false;
        m_latency.start();
    }
}

void PluginDirectoryWatcher::rearm() {
    if (!m_stream)
        return;
    QStringList folders{m_directory};
    QStringList files;
    // Symbolic links are not followed: a link to a folder above would loop,
    // and the loader's seal check rejects links that leave a bundle anyway.
    QDirIterator entries(m_directory,
                         QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
    while (entries.hasNext() && folders.size() + files.size() < kMaxWatchedPaths) {
        const QString path = entries.next();
        const QFileInfo info = entries.fileInfo();
        if (info.isSymLink())
            continue;
        if (info.isDir())
            folders.append(path);
        else if (info.isFile())
            files.append(path);
    }

    QSet<QString> wanted(folders.begin(), folders.end());
    wanted.unite(QSet<QString>(files.begin(), files.end()));
    QStringList gone;
    for (const QString& path : m_stream->directories() + m_stream->files()) {
        if (!wanted.contains(path))
            gone.append(path);
    }
    if (!gone.isEmpty())
        m_stream->removePaths(gone);

    const QStringList watchedFolders = m_stream->directories();
    const QStringList watchedFiles = m_stream->files();
    const QSet<QString> watched =
        QSet<QString>(watchedFolders.begin(), watchedFolders.end())
            .unite(QSet<QString>(watchedFiles.begin(), watchedFiles.end()));
    QStringList added;
    // Folders first: they are what reveals a new bundle.
    for (const QStringList* list : {&folders, &files}) {
        for (const QString& path : *list) {
            if (!watched.contains(path))
                added.append(path);
        }
    }
    if (!added.isEmpty())
        m_stream->addPaths(added);
}

} // namespace velto
