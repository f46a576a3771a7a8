#pragma once

#include "Platform/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace velto::platform {

/// One entry of a bundle's seal: a regular file or a symbolic link inside the bundle.
struct SealedFile {
    enum class Kind { File, Symlink };

    QString path;    ///< relative to the bundle folder, '/'-separated, e.g. "Contents/Info.json"
    Kind kind = Kind::File;
    QByteArray sha256; ///< lowercase hex of the file content, or of the link target text

    friend bool operator==(const SealedFile&, const SealedFile&) = default;
};

/**
 * The seal of a bundle: Contents/_CodeSignature/CodeResources, a canonical JSON
 * manifest of every file and symbolic link under the bundle except the
 * _CodeSignature folder itself, sorted by path.
 */
namespace CodeResources {

inline constexpr const char* kSignatureFolder = "Contents/_CodeSignature";
inline constexpr const char* kManifestPath = "Contents/_CodeSignature/CodeResources";
inline constexpr const char* kSignaturePath = "Contents/_CodeSignature/CodeSignature";
/// Seals and signatures larger than this are refused unread.
inline constexpr qint64 kMaxManifestBytes = 4 * 1024 * 1024;

/// The canonical bytes for @p files (sorted by path by this function).
QByteArray serialize(std::vector<SealedFile> files);

/// Parses manifest bytes; absent for anything that is not a well-formed canonical manifest.
std::optional<std::vector<SealedFile>> parse(QByteArrayView bytes);

/**
 * Walks @p bundlePath and seals what is there now. Fails, with a one-line reason,
 * on links that are absolute or contain "..", devices, FIFOs, sockets, names that
 * are not UTF-8, unreadable folders or files, and on a bundle that is not a folder.
 */
Result<std::vector<SealedFile>> scan(const QString& bundlePath);

/// Lowercase hex SHA-256 of @p bytes.
QByteArray sha256Hex(QByteArrayView bytes);

} // namespace CodeResources
} // namespace velto::platform
