#pragma once

#include <QString>

namespace velto::test {

/// A self-signed signing certificate and its private key, as PEM files.
struct TestCertificate {
    QString certificatePath;
    QString privateKeyPath;
};

/**
 * Makes a fresh P-256 key and a self-signed certificate in @p folder. With an
 * empty @p commonName the subject has only an organisation.
 */
TestCertificate makeTestCertificate(const QString& folder, const QString& commonName);

} // namespace velto::test
