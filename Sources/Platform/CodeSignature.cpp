#include "Platform/CodeSignature.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <openssl/bio.h>
#include <openssl/cms.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velto::platform {
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
QString oneLine(QString text) {
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    return text;
}

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
    return oneLine(summary);
}

/// What the CMS signature over @p manifest says about its signer.
struct SignerCheck {
    std::optional<QString> identity;
};

// Checks the detached CMS signature @p der over @p manifest with the
// certificates it carries, trusting any signer.
Result<SignerCheck> checkSignature(const QByteArray& manifest, const QByteArray& der) {
    using R = Result<SignerCheck>;
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
    return SignerCheck{subjectSummary(sk_X509_value(signers.get(), 0))};
}

QString describeDifference(const std::vector<SealedFile>& sealed,
                           const std::vector<SealedFile>& present) {
    const auto shown = [](const QString& path) { return oneLine(path); };
    auto a = sealed.begin();
    auto b = present.begin();
    while (a != sealed.end() || b != present.end()) {
        if (b == present.end() || (a != sealed.end() && a->path.toUtf8() < b->path.toUtf8()))
            return shown(a->path) + QStringLiteral(" is missing");
        if (a == sealed.end() || b->path.toUtf8() < a->path.toUtf8())
            return shown(b->path) + QStringLiteral(" was added after sealing");
        if (a->kind != b->kind)
            return shown(a->path) + QStringLiteral(" changed kind after sealing");
        if (a->sha256 != b->sha256)
            return shown(a->path) + QStringLiteral(" was modified after sealing");
        ++a;
        ++b;
    }
    return QStringLiteral("the seal does not match the files");
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

// Contents/ and Contents/_CodeSignature/ must be real folders and the seal files
// regular ones: writing through a link would put the seal somewhere the check
// never looks, or overwrite a file outside the bundle.
Status prepareSignatureFolder(const QString& bundlePath) {
    const auto inspect = [&](const QString& relative, struct stat& info) -> int {
        const QString path = bundlePath + QLatin1Char('/') + relative;
        if (::lstat(QFile::encodeName(path).constData(), &info) == 0)
            return 0;
        return errno;
    };
    const auto failedToInspect = [](const QString& relative, int error) {
        return Status::failure(QStringLiteral("cannot inspect %1: %2")
                                   .arg(relative, QString::fromLocal8Bit(std::strerror(error))));
    };
    for (const QString& relative :
         {QStringLiteral("Contents"), QString::fromLatin1(CodeResources::kSignatureFolder)}) {
        struct stat info {};
        const int error = inspect(relative, info);
        if (error == 0) {
            if (!S_ISDIR(info.st_mode))
                return Status::failure(relative + QStringLiteral(" is not a folder"));
        } else if (error != ENOENT) {
            return failedToInspect(relative, error);
        } else if (!QDir(bundlePath).mkdir(relative)) {
            return Status::failure(QStringLiteral("cannot create %1").arg(relative));
        }
    }
    for (const char* file : {CodeResources::kManifestPath, CodeResources::kSignaturePath}) {
        const QString relative = QLatin1String(file);
        struct stat info {};
        const int error = inspect(relative, info);
        if (error == 0 && !S_ISREG(info.st_mode))
            return Status::failure(relative + QStringLiteral(" is not a regular file"));
        if (error != 0 && error != ENOENT)
            return failedToInspect(relative, error);
    }
    return Done{};
}

Status writeSealFile(const QString& bundlePath, const char* relativePath, const QByteArray& bytes) {
    QSaveFile file(bundlePath + QLatin1Char('/') + QLatin1String(relativePath));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return Status::failure(QStringLiteral("cannot write %1: %2")
                                   .arg(QLatin1String(relativePath), file.errorString()));
    return Done{};
}

Status removeSignature(const QString& bundlePath) {
    const QString path =
        bundlePath + QLatin1Char('/') + QLatin1String(CodeResources::kSignaturePath);
    if (::unlink(QFile::encodeName(path).constData()) == 0 || errno == ENOENT)
        return Done{};
    const int error = errno;
    return Status::failure(QStringLiteral("cannot remove %1: %2")
                               .arg(QLatin1String(CodeResources::kSignaturePath),
                                    QString::fromLocal8Bit(std::strerror(error))));
}

Result<QByteArray> sealNow(const QString& bundlePath) {
    using R = Result<QByteArray>;
    Result<std::vector<SealedFile>> files = CodeResources::scan(bundlePath);
    if (!files)
        return R::failure(files.error());
    QByteArray manifest = CodeResources::serialize(std::move(files).value());
    if (manifest.size() > CodeResources::kMaxManifestBytes)
        return R::failure(QStringLiteral("the seal would be larger than %1 bytes")
                              .arg(CodeResources::kMaxManifestBytes));
    return manifest;
}

// The manifest bytes and what they list, without looking at the files yet.
Result<VerifiedBundle> readSeal(const QString& bundlePath) {
    using R = Result<VerifiedBundle>;
    Result<std::optional<QByteArray>> bytes =
        CodeResources::readSealFile(bundlePath, CodeResources::kManifestPath);
    if (!bytes)
        return R::failure(bytes.error());
    if (!bytes.value())
        return R::failure(QStringLiteral("not sealed: %1 is missing")
                              .arg(QLatin1String(CodeResources::kManifestPath)));
    VerifiedBundle seal;
    seal.manifest = std::move(*std::move(bytes).value());
    std::optional<std::vector<SealedFile>> files = CodeResources::parse(seal.manifest);
    if (!files)
        return R::failure(QStringLiteral("the seal %1 is malformed")
                              .arg(QLatin1String(CodeResources::kManifestPath)));
    seal.files = std::move(*files);
    return seal;
}

} // namespace

QString VerifiedBundle::uniqueIdentifier() const {
    return QString::fromLatin1(CodeResources::sha256Hex(manifest));
}

const SealedFile* VerifiedBundle::file(const QString& relativePath) const {
    const QByteArray key = relativePath.toUtf8();
    const auto found = std::lower_bound(
        files.begin(), files.end(), key,
        [](const SealedFile& entry, const QByteArray& k) { return entry.path.toUtf8() < k; });
    if (found == files.end() || found->path != relativePath)
        return nullptr;
    return &*found;
}

namespace CodeSignature {

Result<QByteArray> readManifest(const QString& bundlePath) {
    Result<VerifiedBundle> seal = readSeal(bundlePath);
    if (!seal)
        return Result<QByteArray>::failure(seal.error());
    return std::move(seal).value().manifest;
}

Result<VerifiedBundle> check(const QString& bundlePath) {
    using R = Result<VerifiedBundle>;
    Result<VerifiedBundle> seal = readSeal(bundlePath);
    if (!seal)
        return seal;
    VerifiedBundle bundle = std::move(seal).value();

    const Result<std::vector<SealedFile>> present = CodeResources::scan(bundlePath);
    if (!present)
        return R::failure(present.error());
    if (present.value() != bundle.files)
        return R::failure(describeDifference(bundle.files, present.value()));

    const Result<std::optional<QByteArray>> signature =
        CodeResources::readSealFile(bundlePath, CodeResources::kSignaturePath);
    if (!signature)
        return R::failure(signature.error());
    if (signature.value()) {
        const Result<SignerCheck> signer = checkSignature(bundle.manifest, *signature.value());
        if (!signer)
            return R::failure(signer.error());
        bundle.signerIdentity = signer->identity;
    }
    return bundle;
}

std::optional<VerifiedBundle> verify(const QString& bundlePath) {
    Result<VerifiedBundle> result = check(bundlePath);
    if (!result)
        return std::nullopt;
    return std::move(result).value();
}

QString signingIdentity(const QString& bundlePath) {
    const QString unknown = QString::fromUtf8(kUnknownIdentity);
    const QString adHoc = QString::fromUtf8(kAdHocIdentity);
    const Result<QByteArray> manifest = readManifest(bundlePath);
    if (!manifest)
        return unknown;
    const Result<std::optional<QByteArray>> signature =
        CodeResources::readSealFile(bundlePath, CodeResources::kSignaturePath);
    if (!signature)
        return unknown;
    if (!signature.value())
        return adHoc;
    const Result<SignerCheck> signer = checkSignature(manifest.value(), *signature.value());
    if (!signer)
        return unknown;
    return signer->identity.value_or(adHoc);
}

std::optional<QString> uniqueIdentifier(const QString& bundlePath) {
    const Result<QByteArray> manifest = readManifest(bundlePath);
    if (!manifest)
        return std::nullopt;
    return QString::fromLatin1(CodeResources::sha256Hex(manifest.value()));
}

Status signAdHoc(const QString& bundlePath) {
    const Result<QByteArray> manifest = sealNow(bundlePath);
    if (!manifest)
        return Status::failure(manifest.error());
    if (const Status folder = prepareSignatureFolder(bundlePath); !folder)
        return folder;
    // The old signature goes first: a seal left without it is at worst ad hoc,
    // never one that an old signature claims.
    if (const Status removed = removeSignature(bundlePath); !removed)
        return removed;
    return writeSealFile(bundlePath, CodeResources::kManifestPath, manifest.value());
}

Status signWithIdentity(const QString& bundlePath, const QString& certificatePemPath,
                        const QString& privateKeyPemPath) {
    const Result<SigningIdentity> identity = loadIdentity(certificatePemPath, privateKeyPemPath);
    if (!identity)
        return Status::failure(identity.error());
    const Result<QByteArray> manifest = sealNow(bundlePath);
    if (!manifest)
        return Status::failure(manifest.error());
    const Result<QByteArray> signature = signManifest(manifest.value(), identity.value());
    if (!signature)
        return Status::failure(signature.error());
    if (const Status folder = prepareSignatureFolder(bundlePath); !folder)
        return folder;
    if (const Status written =
            writeSealFile(bundlePath, CodeResources::kManifestPath, manifest.value());
        !written)
        return written;
    return writeSealFile(bundlePath, CodeResources::kSignaturePath, signature.value());
}

} // namespace CodeSignature
} // namespace velto::platform
