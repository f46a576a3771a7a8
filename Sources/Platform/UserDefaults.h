#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <memory>
#include <optional>

namespace velto::platform {

/**
 * A user-defaults domain: one JSON object in <folder>/<domain>.json.
 *
 * Reads come from a cache that is refreshed when the file changes on disk, so
 * another process's writes are seen. Every write takes a lock file, re-reads
 * the file, applies only its own change and replaces the file atomically, so
 * two processes never lose each other's keys and a crash never leaves half a
 * file. A file that is not a JSON object reads as empty and is kept aside as
 * <domain>.json.corrupt before anything new is written.
 *
 * A name that is empty, "." or "..", or holds a '/' would leave the folder:
 * such a domain reads as empty and every write fails. Main thread only.
 */
class UserDefaults {
public:
    /// The domain @p name in @p folder (default: StandardPaths::defaultsFolder()).
    explicit UserDefaults(QString name, QString folder = {});
    ~UserDefaults();

    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    const QString& name() const { return m_name; }
    /// Full path of the domain file.
    QString filePath() const;

    std::optional<QJsonValue> value(const QString& key) const;
    /// The stored value when it is a JSON boolean; absent otherwise.
    std::optional<bool> boolValue(const QString& key) const;
    QJsonObject dictionaryRepresentation() const;

    /// Stores @p value under @p key; false when the file could not be written.
    /// An undefined @p value removes the key.
    bool setValue(const QString& key, const QJsonValue& value);
    /// Removes @p key; true also when it was not there.
    bool removeValue(const QString& key);

    /// Deletes the whole domain @p name in @p folder (default folder as above);
    /// true when no domain file is left. A .corrupt file beside it is kept.
    static bool removePersistentDomain(const QString& name, const QString& folder = {});

private:
    struct State;
    bool write(const QString& key, const std::optional<QJsonValue>& value);

    QString m_name;
    QString m_folder;
    std::unique_ptr<State> m_state;
};

} // namespace velto::platform
