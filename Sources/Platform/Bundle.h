#pragma once

#include "Platform/Result.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <optional>

namespace velto::platform {

/**
 * A bundle folder on disk: X.bundle or X.app with Contents/Info.json and the
 * code under Contents/Linux. Opening checks only that the path is a folder.
 */
class Bundle {
public:
    /// The bundle at @p path; absent when it is not a folder.
    static std::optional<Bundle> open(const QString& path);

    const QString& path() const { return m_path; }
    /// Last path component, e.g. "CPUGauge.bundle".
    QString fileName() const;

    /// The Info dictionary; absent when missing, unreadable, too large or not a JSON object.
    std::optional<QJsonObject> infoDictionary() const;

    /**
     * Reads the regular file at @p relativePath inside the bundle, refusing
     * symbolic links, other kinds of file and anything over @p maxBytes.
     */
    Result<QByteArray> readFile(const QString& relativePath, qint64 maxBytes) const;

    /**
     * "Contents/Linux/<name>" for the Info dictionary's CFBundleExecutable;
     * absent unless that is a plain file name.
     */
    static std::optional<QString> executableRelativePath(const QJsonObject& info);

private:
    explicit Bundle(QString path) : m_path(std::move(path)) {}

    QString m_path;
};

} // namespace velto::platform
