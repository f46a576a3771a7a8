#include "BundleFixtures.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace velto::test {

QString fixtureBundle(const QString& name) {
    return QStringLiteral(VELTO_FIXTURE_DIR "/") + name + QStringLiteral(".bundle");
}

QString copyBundle(const QString& source, const QString& folder, const QString& fileName) {
    QDir().mkpath(folder);
    const QString target = folder + QLatin1Char('/') + fileName;
    QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), target});
    QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-a"), source, target});
    return target;
}

bool flipByte(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadWrite) || f.size() == 0)
        return false;
    const qint64 offset = f.size() / 2;
    f.seek(offset);
    char byte = 0;
    f.getChar(&byte);
    f.seek(offset);
    return f.putChar(static_cast<char>(~byte));
}

QString executableOf(const QString& bundle) {
    const QDir code(bundle + QStringLiteral("/Contents/Linux"));
    const QStringList entries = code.entryList(QDir::Files);
    return entries.isEmpty() ? QString() : code.filePath(entries.first());
}

int runCodesign(const QStringList& arguments, QString* output) {
    QProcess process;
    process.start(QStringLiteral(VELTO_CODESIGN), arguments);
    if (!process.waitForFinished(60000))
        return -1;
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

int makeWidgetsCalls() {
    return qEnvironmentVariableIntValue("VELTO_FIXTURE_MAKE_WIDGETS_CALLS");
}

} // namespace velto::test
