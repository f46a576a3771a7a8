#pragma once

#include "Support/TestCertificate.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace velto::test {

/// Writes @p bytes to @p path, creating the folders above it; fails the test otherwise.
void writeFile(const QString& path, const QByteArray& bytes);
/// The whole file, or an empty array when it cannot be read.
QByteArray readFile(const QString& path);

/**
 * A fresh bundle folder in the sandbox holding:
 *   Contents/Info.json, Contents/Linux/libSample.so (binary, with NUL bytes),
 *   Contents/Resources/icon.svg and the link Contents/Linux/current -> libSample.so.
 */
QString makeSampleBundle(const QString& name = QStringLiteral("Sample.bundle"));

/// A certificate and its private key in PEM files.
struct TestIdentity {
    QString certificatePath;
    QString keyPath;
};

/**
 * Makes a self-signed certificate for a new EC P-256 key with @p subject and
 * writes both to PEM files in a fresh folder. With @p passphrase the key is
 * written encrypted.
 */
TestIdentity makeSelfSignedIdentity(const SubjectEntries& subject,
                                    const QByteArray& passphrase = QByteArray());

} // namespace velto::test
