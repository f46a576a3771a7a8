#include "Platform/CmsSignature.h"

#include <QFile>
#include <memory>
#include <openssl/bio.h>
#include <openssl/cms.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

namespace velto::platform::CmsSignature {
namespace {

template <auto Free> struct OpenSslFree {
    template <typename T> void operator()(T* object) const { Free(object); }
};
using BioPtr = std::unique_ptr<BIO, OpenSslFree<&BIO_free>>;
using X509Ptr = std::unique_ptr<X509, OpenSslFree<&X509_free>>;
using KeyPtr = std::unique_ptr<EVP_PKEY, OpenSslFree<&EVP_PKEY_free>>;
using CmsPtr = std::unique_ptr<CMS_ContentInfo, OpenSslFree<&CMS_ContentInfo_free>>;

struct OwnedCertificatesFree {
    void operator()(STACK_OF(X509) * certificates) const {
        sk_X509_pop_free(certificates, X509_free);
    }
};
using OwnedCertificates = std::unique_ptr<STACK_OF(X509), OwnedCertificatesFree>;

// CMS_get0_signers hands out a list whose certificates stay owned by the CMS.
struct BorrowedCertificatesFree {
    void operator()(STACK_OF(X509) * certificates) const { sk_X509_free(certificates); }
};
using BorrowedCertificates = std::unique_ptr<STACK_OF(X509), BorrowedCertificatesFree>;

// Certificates and keys are small; anything larger is not one.
constexpr qint64 kMaxPemBytes = 1024 * 1024;

// The oldest queued OpenSSL error, usually the cause; the queue is emptied so
// that nothing stale reaches the next caller.
QString takeOpenSslError() {
    const unsigned long code = ERR_get_error();
    QString text;
    if (code != 0) {
        if (const char* reason = ERR_reason_error_string(code))
            text = QString::fromUtf8(reason);
        else {
            char buffer[256];
            ERR_error_string_n(code, buffer, sizeof buffer);
            text = QString::fromUtf8(buffer);
        }
    }
    ERR_clear_error();
    return text;
}

QString withOpenSslReason(const QString& message) {
    const QString reason = takeOpenSslError();
    return reason.isEmpty() ? message : message + QStringLiteral(": ") + reason;
}

BioPtr memoryBio(const QByteArray& bytes) {
    return BioPtr(BIO_new_mem_buf(bytes.constData(), static_cast<int>(bytes.size())));
}

QByteArray bioContents(BIO* bio) {
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio, &data);
    if (length <= 0 || !data)
        return QByteArray();
    return QByteArray(data, static_cast<qsizetype>(length));
}

// The signer's name is shown in an alert and printed on one line.

QString commonName(const X509_NAME* name) {
    const int index = X509_NAME_get_index_by_NID(name, NID_commonName, -1);
    if (index < 0)
        return QString();
    const X509_NAME_ENTRY* entry = X509_NAME_get_entry(name, index);
    unsigned char* utf8 = nullptr;
    const int length = ASN1_STRING_to_UTF8(&utf8, X509_NAME_ENTRY_get_data(entry));
    QString text;
    if (length > 0)
        text = QString::fromUtf8(reinterpret_cast<const char*>(utf8), length);
    OPENSSL_free(utf8);
    return text;
}

QString oneLineSubject(const X509_NAME* name) {
    const BioPtr out(BIO_new(BIO_s_mem()));
    if (!out)
        return QString();
    // One line, "C = DE, O = Example", with UTF-8 left as it is.
    if (X509_NAME_print_ex(out.get(), name, 0, XN_FLAG_ONELINE & ~ASN1_STRFLGS_ESC_MSB) < 0)
        return QString();
    return QString::fromUtf8(bioContents(out.get()));
}

// The subject summary of a certificate: its common name, else its one-line subject.
std::optional<QString> subjectSummary(const X509* certificate) {
    const X509_NAME* name = X509_get_subject_name(certificate);
    if (!name)
        return std::nullopt;
    QString summary = commonName(name);
    if (summary.isEmpty())
        summary = oneLineSubject(name);
    ERR_clear_error();
    if (summary.isEmpty())
        return std::nullopt;
    return summary;
}

// Checks the detached CMS signature @p der over @p manifest with the
// certificates it carries, trusting any signer.
Result<Signer> check(const QByteArray& manifest, const QByteArray& der) {
    using R = Result<Signer>;
    const auto* cursor = reinterpret_cast<const unsigned char*>(der.constData());
    const CmsPtr cms(d2i_CMS_ContentInfo(nullptr, &cursor, static_cast<long>(der.size())));
    if (!cms) {
        ERR_clear_error();
        return R::failure(QStringLiteral("the signature is not a DER CMS structure"));
    }
    if (cursor != reinterpret_cast<const unsigned char*>(der.constData()) + der.size()) {
        ERR_clear_error();
        return R::failure(QStringLiteral("the signature has trailing bytes"));
    }
    const BioPtr content = memoryBio(manifest);
    if (!content)
        return R::failure(withOpenSslReason(QStringLiteral("cannot read the seal")));
    if (CMS_verify(cms.get(), nullptr, nullptr, content.get(), nullptr,
                   CMS_NO_SIGNER_CERT_VERIFY | CMS_BINARY) != 1)
        return R::failure(
            withOpenSslReason(QStringLiteral("the signature does not match the seal")));

    const BorrowedCertificates signers(CMS_get0_signers(cms.get()));
    if (!signers || sk_X509_num(signers.get()) < 1) {
        ERR_clear_error();
        return R::failure(QStringLiteral("the signature names no signer"));
    }
    return Signer{subjectSummary(sk_X509_value(signers.get(), 0))};
}

Result<QByteArray> readPemFile(const QString& path, const QString& what) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result<QByteArray>::failure(
            QStringLiteral("cannot read %1 %2: %3").arg(what, path, file.errorString()));
    if (file.size() > kMaxPemBytes)
        return Result<QByteArray>::failure(
            QStringLiteral("%1 %2 is larger than %3 bytes").arg(what, path).arg(kMaxPemBytes));
    QByteArray bytes = file.read(kMaxPemBytes + 1);
    if (bytes.size() > kMaxPemBytes)
        return Result<QByteArray>::failure(
            QStringLiteral("%1 %2 is larger than %3 bytes").arg(what, path).arg(kMaxPemBytes));
    return bytes;
}

int refusePassphrase(char*, int, int, void*) {
    return -1;
}

struct SigningIdentity {
    X509Ptr certificate;
    OwnedCertificates chain;
    KeyPtr key;
};

Result<SigningIdentity> loadIdentity(const QString& certificatePath, const QString& keyPath) {
    using R = Result<SigningIdentity>;
    const Result<QByteArray> certificatePem =
        readPemFile(certificatePath, QStringLiteral("certificate"));
    if (!certificatePem)
        return R::failure(certificatePem.error());
    const Result<QByteArray> keyPem = readPemFile(keyPath, QStringLiteral("private key"));
    if (!keyPem)
        return R::failure(keyPem.error());

    SigningIdentity identity;
    const BioPtr certificateBio = memoryBio(certificatePem.value());
    if (certificateBio)
        identity.certificate.reset(
            PEM_read_bio_X509(certificateBio.get(), nullptr, nullptr, nullptr));
    if (!identity.certificate)
        return R::failure(
            withOpenSslReason(certificatePath + QStringLiteral(" holds no PEM certificate")));
    identity.chain.reset(sk_X509_new_null());
    if (!identity.chain)
        return R::failure(withOpenSslReason(QStringLiteral("out of memory")));
    while (X509* extra = PEM_read_bio_X509(certificateBio.get(), nullptr, nullptr, nullptr)) {
        if (sk_X509_push(identity.chain.get(), extra) <= 0) {
            X509_free(extra);
            return R::failure(withOpenSslReason(QStringLiteral("out of memory")));
        }
    }
    // The loop ends on the "no start line" error after the last certificate.
    ERR_clear_error();

    const BioPtr keyBio = memoryBio(keyPem.value());
    if (keyBio)
        identity.key.reset(
            PEM_read_bio_PrivateKey(keyBio.get(), nullptr, refusePassphrase, nullptr));
    if (!identity.key)
        return R::failure(
            withOpenSslReason(keyPath + QStringLiteral(" holds no unencrypted PEM private key")));
    if (X509_check_private_key(identity.certificate.get(), identity.key.get()) != 1) {
        ERR_clear_error();
        return R::failure(QStringLiteral("the private key %1 does not belong to the certificate %2")
                              .arg(keyPath, certificatePath));
    }
    return identity;
}

Result<QByteArray> signManifest(const QByteArray& manifest, const SigningIdentity& identity) {
    using R = Result<QByteArray>;
    const BioPtr content = memoryBio(manifest);
    if (!content)
        return R::failure(withOpenSslReason(QStringLiteral("cannot sign")));
    const CmsPtr cms(CMS_sign(identity.certificate.get(), identity.key.get(), identity.chain.get(),
                              content.get(), CMS_DETACHED | CMS_BINARY | CMS_NOSMIMECAP));
    if (!cms)
        return R::failure(withOpenSslReason(QStringLiteral("cannot sign")));
    const BioPtr out(BIO_new(BIO_s_mem()));
    if (!out || i2d_CMS_bio(out.get(), cms.get()) != 1)
        return R::failure(withOpenSslReason(QStringLiteral("cannot encode the signature")));
    return bioContents(out.get());
}

Result<QByteArray> sign(const QByteArray& manifest, const QString& certificatePemPath,
                        const QString& privateKeyPemPath) {
    const Result<SigningIdentity> identity = loadIdentity(certificatePemPath, privateKeyPemPath);
    if (!identity)
        return Result<QByteArray>::failure(identity.error());
    return signManifest(manifest, identity.value());
}

const Api kApi{&check, &sign};

} // namespace
} // namespace velto::platform::CmsSignature

extern "C" __attribute__((visibility("default"))) const velto::platform::CmsSignature::Api*
velto_cms_api_v1() {
    return &velto::platform::CmsSignature::kApi;
}
