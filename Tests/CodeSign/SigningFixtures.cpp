#include "SigningFixtures.h"

#include "Support/TestCertificate.h"
#include "Support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace velto::test {
void writeFile(const QString& path, const QByteArray& bytes) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath())) << path.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QString makeSampleBundle(const QString& name) {
    const QString bundle = makeTempFolder(QStringLiteral("bundles")) + QLatin1Char('/') + name;
    writeFile(bundle + QStringLiteral("/Contents/Info.json"),
              R"({"CFBundleExecutable": "libSample.so", "NSPrincipalClass": "Sample"})");
    writeFile(bundle + QStringLiteral("/Contents/Linux/libSample.so"),
              QByteArray("\x7f"
                         "ELF\0\0\x01\x02 module bytes",
                         20));
    writeFile(bundle + QStringLiteral("/Contents/Resources/icon.svg"), "<svg/>");
    QFile::link(QStringLiteral("libSample.so"), bundle + QStringLiteral("/Contents/Linux/current"));
    return bundle;
}

TestIdentity makeSelfSignedIdentity(const SubjectEntries& subject, const QByteArray& passphrase) {
    const TestCertificate made = makeSelfSignedCertificate(
        makeTempFolder(QStringLiteral("identity")), subject, {}, passphrase);
    if (made.certificatePath.isEmpty())
        ADD_FAILURE() << "cannot make the test certificate";
    return {made.certificatePath, made.privateKeyPath};
}

} // namespace velto::test
