#include "VersionLine.h"

#include <Platform/InfoDictionary.h>

namespace velto::VersionLine {

namespace {

QString valueOrQuestionMark(const std::optional<QJsonObject>& info, const char* key) {
    if (!info || info->isEmpty())
        return QStringLiteral("?");
    return platform::InfoDictionary::string(*info, QString::fromLatin1(key))
        .value_or(QStringLiteral("?"));
}

} // namespace

QString text(const std::optional<QJsonObject>& infoDictionary) {
    return QStringLiteral("Version %1 (%2)")
        .arg(valueOrQuestionMark(infoDictionary, "CFBundleShortVersionString"),
             valueOrQuestionMark(infoDictionary, "CFBundleVersion"));
}

} // namespace velto::VersionLine
