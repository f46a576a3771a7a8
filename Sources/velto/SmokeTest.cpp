#include "SmokeTest.h"

#include "TextOrder.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace velto::SmokeTest {

bool isRequested(const QStringList& arguments) {
    return std::any_of(arguments.begin(), arguments.end(), [](const QString& argument) {
        return argument.startsWith(QLatin1String(kOption));
    });
}

QString defaultsDomain(const QString& bundleIdentifier) {
    return bundleIdentifier + QStringLiteral(".smoke-test");
}

std::optional<double> exitAfterSeconds(const QStringList& arguments) {
    const auto option =
        std::find_if(arguments.begin(), arguments.end(), [](const QString& argument) {
            return argument.startsWith(QLatin1String(kOption));
        });
    if (option == arguments.end())
        return std::nullopt;
    const QStringList pieces = option->split(QLatin1Char('='), Qt::SkipEmptyParts);
    if (pieces.size() < 2)
        return std::nullopt;

    // from_chars reads the C locale's decimal point whatever the user's locale
    // is. The whole piece must be the number: "2s" is not one.
    QByteArray text = pieces.at(1).toUtf8();
    if (text.startsWith('+'))
        text.remove(0, 1);
    double seconds = 0;
    const char* end = text.constData() + text.size();
    const auto [stop, error] =
        std::from_chars(text.constData(), end, seconds, std::chars_format::general);
    if (error != std::errc{} || stop != end || text.isEmpty() || !std::isfinite(seconds))
        return std::nullopt;
    return seconds;
}

QString loadedWidgetsLine(QStringList ids) {
    std::sort(ids.begin(), ids.end(), codePointLess);
    return QString::fromLatin1(kLoadedWidgetsPrefix) + ids.join(QLatin1Char(','));
}

QString diagnosticLine(const QString& message) {
    return QString::fromLatin1(kDiagnosticPrefix) + message;
}

QString autoApprovedLine(const QString& identity) {
    return QString::fromLatin1(kAutoApprovedPrefix) + identity;
}

} // namespace velto::SmokeTest
