#include "Platform/TrayLabel.h"

namespace velto::platform::TrayLabel {

QString text(const QStringList& texts) {
    QStringList parts;
    for (const QString& part : texts) {
        const QString squeezed = part.simplified();
        if (!squeezed.isEmpty())
            parts.append(squeezed);
    }
    return parts.join(QLatin1Char(' '));
}

namespace {

QString figureOf(const QString& text) {
    qsizetype start = 0;
    while (start < text.size() && !text[start].isDigit())
        ++start;
    if (start == text.size())
        return {};
    qsizetype end = start;
    while (end < text.size() && text[end].isDigit())
        ++end;
    // One decimal separator with a digit after it belongs to the number.
    if (end + 1 < text.size() && (text[end] == QLatin1Char('.') || text[end] == QLatin1Char(',')) &&
        text[end + 1].isDigit()) {
        ++end;
        while (end < text.size() && text[end].isDigit())
            ++end;
    }
    QString figure = text.mid(start, end - start);
    qsizetype unit = end;
    while (unit < text.size() && text[unit].isSpace())
        ++unit;
    // "B" alone adds nothing: bytes are what the other units count too.
    if (unit < text.size() && text[unit].isLetter() && text[unit] != QLatin1Char('B'))
        figure += text[unit].toUpper();
    return figure;
}

} // namespace

QStringList figures(const QStringList& texts, int limit) {
    QStringList result;
    for (const QString& part : texts) {
        if (result.size() >= limit)
            break;
        const QString figure = figureOf(part);
        if (!figure.isEmpty())
            result.append(figure);
    }
    return result;
}

QString guide(const QString& text, const QString& previous) {
    QString widest = text;
    for (QChar& character : widest) {
        if (character.isDigit())
            character = QLatin1Char('8');
    }
    return widest.size() > previous.size() ? widest : previous;
}

} // namespace velto::platform::TrayLabel
