#pragma once

#include "Platform/CodeResources.h"
#include "Platform/Result.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace velto::platform {

/// What a successful check saw: the exact seal bytes and the files they list.
struct VerifiedBundle {
    QByteArray manifest;           ///< the CodeResources bytes that were checked
    std::vector<SealedFile> files; ///< parsed from exactly those bytes
    /// The leaf certificate's summary; absent when ad hoc or when the leaf's subject is empty.
    std::optional<QString> signerIdentity;

    /// SHA-256 of the manifest bytes, lowercase hex.
    QString uniqueIdentifier() const;
    /// The sealed entry for @p relativePath, or null.
    const SealedFile* file(const QString& relativePath) const;
};

/**
 * Code signatures of bundles. A bundle is sealed by its CodeResources manifest
 * and, optionally, signed by a detached CMS signature over those bytes that
 * carries the signer's certificate. With no CMS signature the bundle is ad hoc.
 */
namespace CodeSignature {

inline constexpr const char* kAdHocIdentity = "unsigned (ad-hoc) \u2014 identity not verified";
inline constexpr const char* kUnknownIdentity = "unknown";

/**
 * Checks @p bundlePath: the manifest matches the files exactly (nothing missing,
 * changed or added) and a CMS signature, if present, verifies with its own
 * embedded certificate (any signer passes). Absent on any failure.
 */
std::optional<VerifiedBundle> verify(const QString& bundlePath);

/// verify() with the one-line reason when the bundle does not pass.
Result<VerifiedBundle> check(const QString& bundlePath);

/// The bundle's CodeResources bytes when they are a well-formed seal; the reason otherwise.
Result<QByteArray> readManifest(const QString& bundlePath);

/// "unknown" when no seal can be read; the ad-hoc text without a signer
/// certificate; else the leaf's common name, or its one-line subject.
QString signingIdentity(const QString& bundlePath);

/// SHA-256 of the bundle's CodeResources bytes in lowercase hex; absent when unreadable.
std::optional<QString> uniqueIdentifier(const QString& bundlePath);

/// Seals @p bundlePath ad hoc, removing any earlier CMS signature.
Status signAdHoc(const QString& bundlePath);

/**
 * Seals @p bundlePath and signs the seal with the PEM certificate and private key.
 * Certificates after the first in @p certificatePemPath travel in the signature
 * as its chain. The key must be unencrypted and belong to the first certificate.
 */
Status signWithIdentity(const QString& bundlePath, const QString& certificatePemPath,
                        const QString& privateKeyPemPath);

} // namespace CodeSignature
} // namespace velto::platform
