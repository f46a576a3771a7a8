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

    QString path; ///< relative to the bundle folder, '/'-separated, e.g. "Contents/Info.json"
    Kind kind = Kind::File;
    QByteArray sha256; ///< lowercase hex of the file content, or of the link target text

    friend bool operator==(const SealedFile&, const SealedFile&) = default;
};

/**
 * The seal of a bundle: Contents/_CodeSignature/CodeResources, a canonical JSON
 * manifest of every file and symbolic link under the bundle except the
 * _CodeSignature folder itself, sorted by path.
 *
 * The canonical form is compact JSON with keys in this order and entries sorted
 * by the bytes of their UTF-8 paths:
 * {"files":[{"kind":"file","path":"Contents/Info.json","sha256":"<64 hex>"}],"version":1}
 */
namespace CodeResources {

inline constexpr const char* kSignatureFolder = "Contents/_CodeSignature";
inline constexpr const char* kManifestPath = "Contents/_CodeSignature/CodeResources";
inline constexpr const char* kSignaturePath = "Contents/_CodeSignature/CodeSignature";
/// Seals and signatures larger than this are refused unread.
inline constexpr qint64 kMaxManifestBytes = 4 * 1024 * 1024;

/// The canonical bytes for @p files (sorted by path by this function).
QByteArray serialize(std::vector<SealedFile> files);

/**
 * Parses manifest bytes; absent for anything that is not a well-formed canonical
 * manifest: other spacing, key order or escapes, unsorted or duplicate paths,
 * paths that are absolute, have empty, "." or ".." components or lie in the
 * signature folder, digests that are not 64 lowercase hex digits, or more than
 * kMaxManifestBytes.
 */
std::optional<std::vector<SealedFile>> parse(QByteArrayView bytes);

/**
 * Walks @p bundlePath and seals what is there now, sorted by path. Fails, with a
 * one-line reason, on links that are absolute, contain "..", or lead into a
 * signature folder, devices, FIFOs, sockets, names that are not UTF-8,
 * unreadable folders or files, and on a bundle that is not a folder. Links are
 * never followed; the bundle path itself may be one.
 */
Result<std::vector<SealedFile>> scan(const QString& bundlePath);

/**
 * Reads @p relativePath (kManifestPath or kSignaturePath) under @p bundlePath
 * without following links on the way. Absent when the file does not exist; a
 * failure when it or a folder above it is not what it should be, it cannot be
 * read, or it holds more than kMaxManifestBytes.
 */
Result<std::optional<QByteArray>> readSealFile(const QString& bundlePath, const char* relativePath);

/// Lowercase hex SHA-256 of @p bytes.
QByteArray sha256Hex(QByteArrayView bytes);

} // namespace CodeResources
} // namespace velto::platform
