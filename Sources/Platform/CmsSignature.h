#pragma once

#include "Platform/Result.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace velto::platform::CmsSignature {

/// What a detached CMS signature says about its signer.
struct Signer {
    /// The leaf certificate's common name, else its one-line subject; absent when empty.
    std::optional<QString> identity;
};

/**
 * The CMS side of code signing, on OpenSSL. It lives in its own shared library
 * (libVeltoCms), which the host loads only when a bundle carries a signature:
 * see CmsLibrary.
 */
struct Api {
    /// Checks the detached DER signature @p der over @p manifest with the
    /// certificates it carries, trusting any signer.
    Result<Signer> (*check)(const QByteArray& manifest, const QByteArray& der);
    /// A detached DER signature over @p manifest by the PEM certificate and
    /// unencrypted private key; later certificates in the file travel as the chain.
    Result<QByteArray> (*sign)(const QByteArray& manifest, const QString& certificatePemPath,
                               const QString& privateKeyPemPath);
};

} // namespace velto::platform::CmsSignature

/// The library's one entry point, looked up by name.
extern "C" const velto::platform::CmsSignature::Api* velto_cms_api_v1();
