#include "SigningFixtures.h"

#include "Support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <memory>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

namespace velto::test {
namespace {

template <auto Free> struct OpenSslFree {
    template <typename T> void operator()(T* object) const { Free(object); }
};

QByteArray bioBytes(BIO* bio) {
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio, &data);
    return QByteArray(data, static_cast<qsizetype>(length));
}

} // namespace

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
    const std::unique_ptr<EVP_PKEY, OpenSslFree<&EVP_PKEY_free>> key(EVP_EC_gen("P-256"));
    const std::unique_ptr<X509, OpenSslFree<&X509_free>> certificate(X509_new());
    if (!key || !certificate) {
        ADD_FAILURE() << "cannot make a key or certificate";
        return {};
    }
    X509_set_version(certificate.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), 1);
    X509_gmtime_adj(X509_getm_notBefore(certificate.get()), 0);
    X509_gmtime_adj(X509_getm_notAfter(certificate.get()), 24 * 3600);
    X509_NAME* name = X509_get_subject_name(certificate.get());
    for (const auto& [field, value] : subject) {
        const QByteArray utf8 = value.toUtf8();
        X509_NAME_add_entry_by_txt(name, field.toLatin1().constData(), MBSTRING_UTF8,
                                   reinterpret_cast<const unsigned char*>(utf8.constData()),
                                   static_cast<int>(utf8.size()), -1, 0);
    }
    X509_set_issuer_name(certificate.get(), name);
    X509_set_pubkey(certificate.get(), key.get());
    if (X509_sign(certificate.get(), key.get(), EVP_sha256()) <= 0) {
        ADD_FAILURE() << "cannot self-sign the test certificate";
        return {};
    }

    const std::unique_ptr<BIO, OpenSslFree<&BIO_free>> certificatePem(BIO_new(BIO_s_mem()));
    const std::unique_ptr<BIO, OpenSslFree<&BIO_free>> keyPem(BIO_new(BIO_s_mem()));
    PEM_write_bio_X509(certificatePem.get(), certificate.get());
    if (passphrase.isEmpty()) {
        PEM_write_bio_PrivateKey(keyPem.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr);
    } else {
        PEM_write_bio_PKCS8PrivateKey(keyPem.get(), key.get(), EVP_aes_256_cbc(),
                                      passphrase.constData(), static_cast<int>(passphrase.size()),
                                      nullptr, nullptr);
    }

    const QString folder = makeTempFolder(QStringLiteral("identity"));
    TestIdentity identity{folder + QStringLiteral("/certificate.pem"),
                          folder + QStringLiteral("/key.pem")};
    writeFile(identity.certificatePath, bioBytes(certificatePem.get()));
    writeFile(identity.keyPath, bioBytes(keyPem.get()));
    return identity;
}

} // namespace velto::test
