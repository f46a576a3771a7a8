#include "Platform/Bundle.h"

#include "Platform/InfoDictionary.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velto::platform {

std::optional<Bundle> Bundle::open(const QString& path) {
    struct stat info {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0 ||
        !S_ISDIR(info.st_mode))
        return std::nullopt;
    return Bundle(path);
}

QString Bundle::fileName() const {
    return QFileInfo(m_path).fileName();
}

std::optional<QJsonObject> Bundle::infoDictionary() const {
    const Result<QByteArray> bytes =
        readFile(QString::fromLatin1(InfoDictionary::kRelativePath), InfoDictionary::kMaxBytes);
    if (!bytes)
        return std::nullopt;
    return InfoDictionary::parse(bytes.value());
}

Result<QByteArray> Bundle::readFile(const QString& relativePath, qint64 maxBytes) const {
    const QString path = m_path + QLatin1Char('/') + relativePath;
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return Result<QByteArray>::failure(QStringLiteral("%1: %2").arg(
            relativePath, QString::fromLocal8Bit(std::strerror(errno))));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return Result<QByteArray>::failure(
            QStringLiteral("%1: not a regular file").arg(relativePath));
    }
    if (info.st_size > maxBytes) {
        ::close(fd);
        return Result<QByteArray>::failure(
            QStringLiteral("%1: larger than %2 bytes").arg(relativePath).arg(maxBytes));
    }
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(info.st_size));
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            const int error = errno;
            ::close(fd);
            return Result<QByteArray>::failure(QStringLiteral("%1: %2").arg(
                relativePath, QString::fromLocal8Bit(std::strerror(error))));
        }
        if (count == 0)
            break;
        // The file may grow while it is read; never hold more than the cap.
        if (bytes.size() + count > maxBytes) {
            ::close(fd);
            return Result<QByteArray>::failure(
                QStringLiteral("%1: larger than %2 bytes").arg(relativePath).arg(maxBytes));
        }
        bytes.append(buffer, count);
    }
    ::close(fd);
    return bytes;
}

std::optional<QString> Bundle::executableRelativePath(const QJsonObject& info) {
    const std::optional<QString> name =
        InfoDictionary::string(info, QStringLiteral("CFBundleExecutable"));
    if (!name || name->isEmpty() || name->contains(QLatin1Char('/')) ||
        *name == QLatin1String(".") || *name == QLatin1String("..") || name->contains(QChar(0)))
        return std::nullopt;
    return QStringLiteral("Contents/Linux/") + *name;
}

} // namespace velto::platform
