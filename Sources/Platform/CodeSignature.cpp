#include "Platform/CodeSignature.h"

#include "Platform/CmsLibrary.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace velto::platform {
namespace {

QString oneLine(QString text) {
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    return text;
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

// The CMS check, from the library that brings OpenSSL, loaded only now.
Result<CmsSignature::Signer> checkSignature(const QByteArray& manifest, const QByteArray& der) {
    using R = Result<CmsSignature::Signer>;
    const Result<const CmsSignature::Api*> cms = CmsLibrary::api();
    if (!cms)
        return R::failure(cms.error());
    Result<CmsSignature::Signer> signer = cms.value()->check(manifest, der);
    if (!signer)
        return signer;
    CmsSignature::Signer checked = std::move(signer).value();
    if (checked.identity)
        checked.identity = oneLine(*checked.identity);
    return checked;
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
        const Result<CmsSignature::Signer> signer =
            checkSignature(bundle.manifest, *signature.value());
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
    const Result<CmsSignature::Signer> signer =
        checkSignature(manifest.value(), *signature.value());
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
    const Result<const CmsSignature::Api*> cms = CmsLibrary::api();
    if (!cms)
        return Status::failure(cms.error());
    const Result<QByteArray> manifest = sealNow(bundlePath);
    if (!manifest)
        return Status::failure(manifest.error());
    const Result<QByteArray> signature =
        cms.value()->sign(manifest.value(), certificatePemPath, privateKeyPemPath);
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
