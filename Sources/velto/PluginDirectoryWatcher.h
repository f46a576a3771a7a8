#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

class QFileSystemWatcher;

namespace velto {

/**
 * Watches one folder and everything below it, and calls onChange once per
 * batch of changes, on the main thread. A batch starts with the first change
 * and is delivered one latency later; changes during that second join it, so
 * a copy in progress yields a rescan about once a second until it ends.
 *
 * Folders and files below the folder are watched too (inotify reports neither
 * events inside subfolders nor writes into existing files to a folder watch),
 * and the set of watched paths is brought up to date before every delivery,
 * so a folder created during a copy is watched from the next batch on and
 * what landed in it before that is seen by the rescan itself.
 *
 * A folder that can't be watched leaves the watcher silent; nothing is reported.
 */
class PluginDirectoryWatcher : public QObject {
    Q_OBJECT
public:
    static constexpr int kLatencyMilliseconds = 1000;
    /// Beyond this many watched paths, files and then folders are left unwatched.
    static constexpr int kMaxWatchedPaths = 4096;

    PluginDirectoryWatcher(QString directory, std::function<void()> onChange,
                           QObject* parent = nullptr);
    ~PluginDirectoryWatcher() override;

    /// Begins watching; a second call only brings the watched paths up to date.
    void start();
    /// Stops watching and drops a pending batch; harmless when not started.
    void stop();

    /// True while started and the folder itself is watched.
    bool isWatching() const;
    const QString& directory() const { return m_directory; }

private:
    void noteChange();
    void deliver();
    void rearm();

    QString m_directory;
    std::function<void()> m_onChange;
    std::unique_ptr<QFileSystemWatcher> m_stream;
    QTimer m_latency;
    bool m_delivering = false;
    bool m_changedWhileDelivering = false;
};

} // namespace velto
