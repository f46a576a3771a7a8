#pragma once

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

} // namespace velto::test
