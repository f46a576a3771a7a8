#include "Platform/DesktopEntry.h"

#include <QStringView>

namespace velto::platform::DesktopEntry {

namespace {

bool isReservedInQuotes(QChar c) {
    return c == u'"' || c == u'`' || c == u'$' || c == u'\\';
}

} // namespace

QString escapeString(const QString& text) {
    QString escaped;
    escaped.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\')
            escaped += QStringLiteral("\\\\");
        else if (c == u'\n')
            escaped += QStringLiteral("\\n");
        else if (c == u'\t')
            escaped += QStringLiteral("\\t");
        else if (c == u'\r')
            escaped += QStringLiteral("\\r");
        else if (c == u' ' && i == 0)
            escaped += QStringLiteral("\\s");
        else
            escaped += c;
    }
    return escaped;
}

QString unescapeString(const QString& value) {
    QString text;
    text.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != u'\\' || i + 1 == value.size()) {
            text += c;
            continue;
        }
        const QChar next = value[++i];
        if (next == u'\\')
            text += u'\\';
        else if (next == u'n')
            text += u'\n';
        else if (next == u't')
            text += u'\t';
        else if (next == u'r')
            text += u'\r';
        else if (next == u's')
            text += u' ';
        else
            text.append(c).append(next);
    }
    return text;
}

QString execCommand(const QString& program) {
    QString command = QStringLiteral("\"");
    for (const QChar c : program) {
        if (isReservedInQuotes(c))
            command += u'\\';
        command += c;
        // A lone % would start a field code such as %f.
        if (c == u'%')
            command += u'%';
    }
    command += u'"';
    return command;
}

std::optional<QStringList> execArguments(const QString& value) {
    const QString command = unescapeString(value);
    QStringList arguments;
    QString current;
    bool inWord = false;
    bool quoted = false;
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command[i];
        if (quoted) {
            if (c == u'"') {
                quoted = false;
            } else if (c == u'\\' && i + 1 < command.size() && isReservedInQuotes(command[i + 1])) {
                current += command[++i];
            } else if (c == u'%' && i + 1 < command.size() && command[i + 1] == u'%') {
                current += c;
                ++i;
            } else {
                current += c;
            }
            continue;
        }
        if (c == u' ' || c == u'\t') {
            if (inWord)
                arguments.append(current);
            current.clear();
            inWord = false;
        } else if (c == u'"') {
            quoted = true;
            inWord = true;
        } else if (c == u'%' && i + 1 < command.size() && command[i + 1] == u'%') {
            current += c;
            inWord = true;
            ++i;
        } else {
            current += c;
            inWord = true;
        }
    }
    if (quoted)
        return std::nullopt;
    if (inWord)
        arguments.append(current);
    if (arguments.isEmpty())
        return std::nullopt;
    return arguments;
}

std::map<QString, QString> mainGroup(const QByteArray& text) {
    std::map<QString, QString> entries;
    bool inMainGroup = false;
    for (const QByteArray& rawLine : text.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)
            continue;
        const QString key = line.first(equals).trimmed();
        if (!key.isEmpty())
            entries.try_emplace(key, line.sliced(equals + 1).trimmed());
    }
    return entries;
}

bool isTrue(const std::optional<QString>& value) {
    return value && *value == QLatin1String("true");
}

QByteArray autostartEntry(const QString& name, const QString& comment, const QString& program) {
    const QString text =
        QStringLiteral("[Desktop Entry]\n"
                       "Type=Application\n"
                       "Version=1.0\n"
                       "Name=%1\n"
                       "Comment=%2\n"
                       "Exec=%3\n"
                       "Terminal=false\n"
                       "X-GNOME-Autostart-enabled=true\n")
            .arg(escapeString(name), escapeString(comment), escapeString(execCommand(program)));
    return text.toUtf8();
}

} // namespace velto::platform::DesktopEntry
