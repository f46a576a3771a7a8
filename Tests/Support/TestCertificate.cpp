#include "Support/TestCertificate.h"

#include <QFile>
#include <cstdio>
#include <functional>
#include <memory>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

namespace velto::test {

namespace {

struct Deleter {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
    void operator()(X509* certificate) const { X509_free(certificate); }
    void operator()(std::FILE* file) const { std::fclose(file); }
    void operator()(X509_EXTENSION* extension) const { X509_EXTENSION_free(extension); }
};

template <typename T> using Owned = std::unique_ptr<T, Deleter>;

bool writePem(const QString& path, const std::function<int(std::FILE*)>& write) {
    Owned<std::FILE> file(std::fopen(QFile::encodeName(path).constData(), "wb"));
    return file && write(file.get()) == 1;
}

bool addExtension(X509* certificate, int nid, const QByteArray& value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    Owned<X509_EXTENSION> extension(X509V3_EXT_conf_nid(nullptr, &context, nid, value.constData()));
    return extension && X509_add_ext(certificate, extension.get(), -1) == 1;
}

} // namespace

TestCertificate makeTestCertificate(const QString& folder, const QString& commonName,
                                    const QStringList& subjectAltNames) {
    SubjectEntries subject{{QStringLiteral("O"), QStringLiteral("Velto Tests")}};
    if (!commonName.isEmpty())
        subject.append({QStringLiteral("CN"), commonName});
    return makeSelfSignedCertificate(folder, subject, subjectAltNames);
}

TestCertificate makeSelfSignedCertificate(const QString& folder, const SubjectEntries& subject,
                                          const QStringList& subjectAltNames,
                                          const QByteArray& passphrase) {
    TestCertificate result{folder + QStringLiteral("/certificate.pem"),
                           folder + QStringLiteral("/key.pem")};
    Owned<EVP_PKEY> key(EVP_EC_gen("P-256"));
    Owned<X509> certificate(X509_new());
    if (!key || !certificate)
        return {};
    X509_set_version(certificate.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), 1);
    X509_gmtime_adj(X509_getm_notBefore(certificate.get()), 0);
    X509_gmtime_adj(X509_getm_notAfter(certificate.get()), 60L * 60 * 24 * 365);
    X509_set_pubkey(certificate.get(), key.get());
    X509_NAME* name = X509_get_subject_name(certificate.get());
    for (const auto& [field, value] : subject) {
        const QByteArray utf8 = value.toUtf8();
        X509_NAME_add_entry_by_txt(name, field.toLatin1().constData(), MBSTRING_UTF8,
                                   reinterpret_cast<const unsigned char*>(utf8.constData()),
                                   static_cast<int>(utf8.size()), -1, 0);
    }
    X509_set_issuer_name(certificate.get(), name);
    if (!subjectAltNames.isEmpty() &&
        !addExtension(certificate.get(), NID_subject_alt_name,
                      subjectAltNames.join(QLatin1Char(',')).toUtf8()))
        return {};
    if (X509_sign(certificate.get(), key.get(), EVP_sha256()) == 0)
        return {};
    const auto writeKey = [&](std::FILE* file) {
        if (passphrase.isEmpty())
            return PEM_write_PrivateKey(file, key.get(), nullptr, nullptr, 0, nullptr, nullptr);
        return PEM_write_PKCS8PrivateKey(file, key.get(), EVP_aes_256_cbc(), passphrase.constData(),
                                         static_cast<int>(passphrase.size()), nullptr, nullptr);
    };
    const bool written =
        writePem(result.certificatePath,
                 [&](std::FILE* file) { return PEM_write_X509(file, certificate.get()); }) &&
        writePem(result.privateKeyPath, writeKey);
    return written ? result : TestCertificate{};
}

} // namespace velto::test
