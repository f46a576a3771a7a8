#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace velto::test {

/// A self-signed signing certificate and its private key, as PEM files.
struct TestCertificate {
    QString certificatePath;
    QString privateKeyPath;
};

/**
 * Makes a fresh P-256 key and a self-signed certificate in @p folder. With an
 * empty @p commonName the subject has only an organisation. Each entry of
 * @p subjectAltNames ("DNS:localhost", "IP:127.0.0.1") goes into the
 * certificate's subject alternative names, so that it can serve TLS on loopback.
 */
TestCertificate makeTestCertificate(const QString& folder, const QString& commonName,
                                    const QStringList& subjectAltNames = {});

/// Subject entries as OpenSSL short names and values, e.g. {"CN", "Velto Test Signer"}.
using SubjectEntries = QList<QPair<QString, QString>>;

/**
 * The general form: a self-signed certificate with exactly @p subject, and
 * with @p passphrase the private key written encrypted. Empty paths on failure.
 */
TestCertificate makeSelfSignedCertificate(const QString& folder, const SubjectEntries& subject,
                                          const QStringList& subjectAltNames = {},
                                          const QByteArray& passphrase = {});

} // namespace velto::test
