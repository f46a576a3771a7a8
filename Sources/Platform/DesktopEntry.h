#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>

namespace velto::platform {

/**
 * The parts of the freedesktop.org desktop-entry format that an autostart
 * entry needs: writing an Exec line that survives any path, and reading a
 * file's [Desktop Entry] group back. Pure.
 */
namespace DesktopEntry {

/// A string value with the format's escapes: \\ \n \t \r, and \s for a leading blank.
QString escapeString(const QString& text);
/// Undoes escapeString(); an unknown escape is kept as it is.
QString unescapeString(const QString& value);

/**
 * The Exec value (before escapeString) that runs @p program with no
 * arguments: always in double quotes, with " ` $ and \ escaped inside them
 * and % doubled.
 */
QString execCommand(const QString& program);

/**
 * The arguments of an Exec value as it stands in the file (escapeString
 * applied): quoted and unquoted words, %% as %. Nothing for an unterminated
 * quote or an empty command.
 */
std::optional<QStringList> execArguments(const QString& value);

/**
 * The keys of the [Desktop Entry] group with their raw values, blanks around
 * '=' dropped. Comments, blank lines and other groups are skipped; of a key
 * given twice the first counts.
 */
std::map<QString, QString> mainGroup(const QByteArray& text);

/// A boolean value: exactly "true".
bool isTrue(const std::optional<QString>& value);

/// The whole text of an autostart entry named @p name that runs @p program.
QByteArray autostartEntry(const QString& name, const QString& comment, const QString& program);

} // namespace DesktopEntry
} // namespace velto::platform
