#include "Platform/CodeResources.h"

#include "Platform/JsonObject.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace velto::platform::CodeResources {
namespace {

// Deeper folder trees than this are refused rather than walked, so that a
// hostile bundle cannot exhaust file descriptors or the stack.
constexpr int kMaxFolderDepth = 64;
constexpr qsizetype kSha256HexLength = 64;
constexpr std::string_view kSignatureFolderName = "_CodeSignature";

class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : m_fd(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            reset();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release() { return std::exchange(m_fd, -1); }
    void reset() {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
using DirPtr = std::unique_ptr<DIR, DirCloser>;

QString errnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Paths in messages stay on one line whatever the file names hold.
QString displayPath(QByteArrayView utf8) {
    QString text = QString::fromUtf8(utf8);
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char('?');
    }
    return text;
}

bool isValidUtf8(QByteArrayView bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        const unsigned char lead = data[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        qsizetype length = 0;
        char32_t codePoint = 0;
        char32_t smallest = 0;
        if ((lead & 0xE0) == 0xC0) {
            length = 2;
            codePoint = lead & 0x1F;
            smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            codePoint = lead & 0x0F;
            smallest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            codePoint = lead & 0x07;
            smallest = 0x10000;
        } else {
            return false;
        }
        if (size - i < length)
            return false;
        for (qsizetype k = 1; k < length; ++k) {
            const unsigned char next = data[i + k];
            if ((next & 0xC0) != 0x80)
                return false;
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        // Overlong forms, UTF-16 surrogates and values past U+10FFFF are not UTF-8.
        if (codePoint < smallest || codePoint > 0x10FFFF ||
            (codePoint >= 0xD800 && codePoint <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

bool isInSignatureFolder(QByteArrayView path) {
    const QByteArrayView folder(kSignatureFolder);
    return path == folder || (path.startsWith(folder) && path.size() > folder.size() &&
                              path.at(folder.size()) == '/');
}

bool isValidSealedPath(const QByteArray& path) {
    if (path.isEmpty() || path.contains('\0') || !isValidUtf8(path) || isInSignatureFolder(path))
        return false;
    for (const QByteArray& component : path.split('/')) {
        if (component.isEmpty() || component == "." || component == "..")
            return false;
    }
    return true;
}

bool isLowercaseHex(const QString& text) {
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
               (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
    });
}

const char* kindName(SealedFile::Kind kind) {
    return kind == SealedFile::Kind::Symlink ? "symlink" : "file";
}

// JSON text with the shortest escapes, as JavaScript's JSON.stringify writes it:
// the quote, the backslash and control characters are escaped, nothing else.
void appendJsonString(QByteArray& out, QByteArrayView utf8) {
    static constexpr char kHex[] = "0123456789abcdef";
    out.append('"');
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out.append("\\\"");
            break;
        case '\\':
            out.append("\\\\");
            break;
        case '\b':
            out.append("\\b");
            break;
        case '\f':
            out.append("\\f");
            break;
        case '\n':
            out.append("\\n");
            break;
        case '\r':
            out.append("\\r");
            break;
        case '\t':
            out.append("\\t");
            break;
        default:
            if (byte < 0x20) {
                out.append("\\u00");
                out.append(kHex[byte >> 4]);
                out.append(kHex[byte & 0x0F]);
            } else {
                out.append(c);
            }
        }
    }
    out.append('"');
}

void sortByPath(std::vector<SealedFile>& files) {
    std::vector<std::pair<QByteArray, SealedFile>> keyed;
    keyed.reserve(files.size());
    for (SealedFile& file : files)
        keyed.emplace_back(file.path.toUtf8(), std::move(file));
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    files.clear();
    for (auto& entry : keyed)
        files.push_back(std::move(entry.second));
}

std::optional<SealedFile> parseEntry(const QJsonValue& value) {
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const QJsonValue kind = object.value(QLatin1String("kind"));
    const QJsonValue path = object.value(QLatin1String("path"));
    const QJsonValue digest = object.value(QLatin1String("sha256"));
    if (object.size() != 3 || !kind.isString() || !path.isString() || !digest.isString())
        return std::nullopt;

    SealedFile file;
    if (kind.toString() == QLatin1String("file"))
        file.kind = SealedFile::Kind::File;
    else if (kind.toString() == QLatin1String("symlink"))
        file.kind = SealedFile::Kind::Symlink;
    else
        return std::nullopt;

    file.path = path.toString();
    if (!isValidSealedPath(file.path.toUtf8()))
        return std::nullopt;

    const QString hex = digest.toString();
    if (hex.size() != kSha256HexLength || !isLowercaseHex(hex))
        return std::nullopt;
    file.sha256 = hex.toLatin1();
    return file;
}

// Reads an open regular file to its end and returns the lowercase hex SHA-256.
Result<QByteArray> hashFile(int fd, const QString& shownPath) {
    // Qt's own SHA-256: the host checks every bundle at start, and a crypto library
    // loaded for that alone would stay resident for the app's whole life.
    QCryptographicHash hash(QCryptographicHash::Sha256);
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return Result<QByteArray>::failure(
                QStringLiteral("cannot read %1: %2").arg(shownPath, errnoText(errno)));
        if (count == 0)
            break;
        hash.addData(QByteArrayView(buffer, count));
    }
    return hash.result().toHex();
}

// A link may only point at something in its own folder or below: no absolute
// target, no "..", so that no chain of links can leave the bundle. Targets that
// name a signature folder are refused too, so that no sealed link can reach
// the unsealed files kept there.
std::optional<QString> linkTargetProblem(const QByteArray& target) {
    if (target.isEmpty())
        return QStringLiteral("link target is empty");
    if (target.startsWith('/'))
        return QStringLiteral("link target is absolute");
    for (const QByteArray& component : target.split('/')) {
        if (component == "..")
            return QStringLiteral("link target leaves its folder (\"..\")");
        if (component == QByteArrayView(kSignatureFolderName.data(), kSignatureFolderName.size()))
            return QStringLiteral("link target leads into a signature folder");
    }
    return std::nullopt;
}

class Scanner {
public:
    Status walk(UniqueFd folder, const QByteArray& prefix, int depth);
    std::vector<SealedFile> takeFiles() { return std::move(m_files); }

private:
    Status visit(int folderFd, const QByteArray& name, const QByteArray& relative, int depth);

    std::vector<SealedFile> m_files;
};

Status Scanner::walk(UniqueFd folder, const QByteArray& prefix, int depth) {
    const QString shown = prefix.isEmpty() ? QStringLiteral(".") : displayPath(prefix);
    DirPtr dir(::fdopendir(folder.get()));
    if (!dir)
        return Status::failure(
            QStringLiteral("cannot read folder %1: %2").arg(shown, errnoText(errno)));
    folder.release(); // now owned by dir

    // Collect the names first: visiting opens more descriptors, and the order
    // does not matter because the result is sorted.
    std::vector<QByteArray> names;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (!entry) {
            if (errno != 0)
                return Status::failure(
                    QStringLiteral("cannot read folder %1: %2").arg(shown, errnoText(errno)));
            break;
        }
        const std::string_view name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        names.emplace_back(name.data(), static_cast<qsizetype>(name.size()));
    }

    for (const QByteArray& name : names) {
        const QByteArray relative = prefix.isEmpty() ? name : prefix + '/' + name;
        const Status status = visit(::dirfd(dir.get()), name, relative, depth);
        if (!status)
            return status;
    }
    return Done{};
}

Status Scanner::visit(int folderFd, const QByteArray& name, const QByteArray& relative, int depth) {
    if (relative == kSignatureFolder)
        return Done{};
    const QString shown = displayPath(relative);
    if (!isValidUtf8(name))
        return Status::failure(shown + QStringLiteral(": file name is not UTF-8"));

    struct stat info {};
    if (::fstatat(folderFd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return Status::failure(
            QStringLiteral("cannot inspect %1: %2").arg(shown, errnoText(errno)));

    if (S_ISDIR(info.st_mode)) {
        if (depth >= kMaxFolderDepth)
            return Status::failure(shown + QStringLiteral(": folders nested too deeply"));
        UniqueFd child(
            ::openat(folderFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!child.valid())
            return Status::failure(
                QStringLiteral("cannot read folder %1: %2").arg(shown, errnoText(errno)));
        return walk(std::move(child), relative, depth + 1);
    }

    if (S_ISREG(info.st_mode)) {
        // O_NONBLOCK keeps a FIFO swapped in after fstatat from blocking the open.
        UniqueFd file(
            ::openat(folderFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
        if (!file.valid())
            return Status::failure(
                QStringLiteral("cannot read %1: %2").arg(shown, errnoText(errno)));
        struct stat opened {};
        if (::fstat(file.get(), &opened) != 0 || !S_ISREG(opened.st_mode))
            return Status::failure(shown + QStringLiteral(": changed while it was sealed"));
        Result<QByteArray> digest = hashFile(file.get(), shown);
        if (!digest)
            return Status::failure(digest.error());
        m_files.push_back(
            {QString::fromUtf8(relative), SealedFile::Kind::File, std::move(digest).value()});
        return Done{};
    }

    if (S_ISLNK(info.st_mode)) {
        char buffer[PATH_MAX + 1];
        const ssize_t length = ::readlinkat(folderFd, name.constData(), buffer, sizeof buffer);
        if (length < 0)
            return Status::failure(
                QStringLiteral("cannot read link %1: %2").arg(shown, errnoText(errno)));
        if (static_cast<size_t>(length) >= sizeof buffer)
            return Status::failure(shown + QStringLiteral(": link target is too long"));
        const QByteArray target(buffer, static_cast<qsizetype>(length));
        if (const std::optional<QString> problem = linkTargetProblem(target))
            return Status::failure(shown + QStringLiteral(": ") + *problem);
        m_files.push_back(
            {QString::fromUtf8(relative), SealedFile::Kind::Symlink, sha256Hex(target)});
        return Done{};
    }

    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        return Status::failure(shown + QStringLiteral(" is a device"));
    if (S_ISFIFO(info.st_mode))
        return Status::failure(shown + QStringLiteral(" is a FIFO"));
    if (S_ISSOCK(info.st_mode))
        return Status::failure(shown + QStringLiteral(" is a socket"));
    return Status::failure(shown + QStringLiteral(" is not a file, folder or link"));
}

Result<QByteArray> readAll(int fd, qint64 maxBytes, const QString& shownPath) {
    QByteArray bytes;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return Result<QByteArray>::failure(
                QStringLiteral("cannot read %1: %2").arg(shownPath, errnoText(errno)));
        if (count == 0)
            return bytes;
        // The file may grow while it is read; never hold more than the cap.
        if (bytes.size() + count > maxBytes)
            return Result<QByteArray>::failure(
                QStringLiteral("%1 is larger than %2 bytes").arg(shownPath).arg(maxBytes));
        bytes.append(buffer, static_cast<qsizetype>(count));
    }
}

} // namespace

QByteArray serialize(std::vector<SealedFile> files) {
    sortByPath(files);
    QByteArray out("{\"files\":[");
    bool first = true;
    for (const SealedFile& file : files) {
        if (!first)
            out.append(',');
        first = false;
        out.append("{\"kind\":");
        appendJsonString(out, kindName(file.kind));
        out.append(",\"path\":");
        appendJsonString(out, file.path.toUtf8());
        out.append(",\"sha256\":");
        appendJsonString(out, file.sha256);
        out.append('}');
    }
    out.append("],\"version\":1}");
    return out;
}

std::optional<std::vector<SealedFile>> parse(QByteArrayView bytes) {
    const std::optional<QJsonObject> parsed = parseJsonObject(bytes, kMaxManifestBytes);
    if (!parsed)
        return std::nullopt;
    const QJsonObject& root = *parsed;
    const QJsonValue version = root.value(QLatin1String("version"));
    const QJsonValue entries = root.value(QLatin1String("files"));
    if (root.size() != 2 || !version.isDouble() || version.toDouble() != 1.0 || !entries.isArray())
        return std::nullopt;

    std::vector<SealedFile> files;
    QByteArray previousPath;
    for (const QJsonValue& value : entries.toArray()) {
        std::optional<SealedFile> file = parseEntry(value);
        if (!file)
            return std::nullopt;
        // Strictly increasing: sorted, and no path twice.
        QByteArray path = file->path.toUtf8();
        if (!files.empty() && !(previousPath < path))
            return std::nullopt;
        previousPath = std::move(path);
        files.push_back(std::move(*file));
    }

    // Anything the JSON reader tolerates but the canonical form does not say
    // the same way (spacing, escapes, number spelling, key order) differs here.
    if (serialize(files) != bytes)
        return std::nullopt;
    return files;
}

Result<std::vector<SealedFile>> scan(const QString& bundlePath) {
    using R = Result<std::vector<SealedFile>>;
    const QByteArray root = QFile::encodeName(bundlePath);
    struct stat info {};
    if (root.isEmpty() || ::stat(root.constData(), &info) != 0) {
        const int error = root.isEmpty() ? ENOENT : errno;
        return R::failure(QStringLiteral("%1: %2").arg(bundlePath, errnoText(error)));
    }
    if (!S_ISDIR(info.st_mode))
        return R::failure(bundlePath + QStringLiteral(" is not a folder"));
    UniqueFd folder(::open(root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid())
        return R::failure(
            QStringLiteral("cannot read folder %1: %2").arg(bundlePath, errnoText(errno)));

    Scanner scanner;
    const Status status = scanner.walk(std::move(folder), QByteArray(), 0);
    if (!status)
        return R::failure(status.error());
    std::vector<SealedFile> files = scanner.takeFiles();
    sortByPath(files);
    return files;
}

Result<std::optional<QByteArray>> readSealFile(const QString& bundlePath,
                                               const char* relativePath) {
    using R = Result<std::optional<QByteArray>>;
    const QList<QByteArray> components = QByteArray(relativePath).split('/');
    UniqueFd current(
        ::open(QFile::encodeName(bundlePath).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!current.valid())
        return R::failure(QStringLiteral("cannot open %1: %2").arg(bundlePath, errnoText(errno)));

    QByteArray walked;
    for (qsizetype i = 0; i < components.size(); ++i) {
        const QByteArray& component = components.at(i);
        const bool last = i + 1 == components.size();
        walked += (walked.isEmpty() ? QByteArray() : QByteArray("/")) + component;
        const QString shown = QString::fromUtf8(walked);
        const int flags = O_RDONLY | O_NOFOLLOW | O_CLOEXEC | (last ? O_NONBLOCK : O_DIRECTORY);
        UniqueFd next(::openat(current.get(), component.constData(), flags));
        if (!next.valid()) {
            const int error = errno;
            if (error == ENOENT)
                return std::optional<QByteArray>();
            if (error == ELOOP || error == ENOTDIR)
                return R::failure(shown + (last ? QStringLiteral(" is not a regular file")
                                                : QStringLiteral(" is not a folder")));
            return R::failure(QStringLiteral("cannot open %1: %2").arg(shown, errnoText(error)));
        }
        current = std::move(next);
        if (!last)
            continue;

        struct stat info {};
        if (::fstat(current.get(), &info) != 0 || !S_ISREG(info.st_mode))
            return R::failure(shown + QStringLiteral(" is not a regular file"));
        if (info.st_size > kMaxManifestBytes)
            return R::failure(
                QStringLiteral("%1 is larger than %2 bytes").arg(shown).arg(kMaxManifestBytes));
        Result<QByteArray> bytes = readAll(current.get(), kMaxManifestBytes, shown);
        if (!bytes)
            return R::failure(bytes.error());
        return std::optional<QByteArray>(std::move(bytes).value());
    }
    return R::failure(QStringLiteral("empty path"));
}

QByteArray sha256Hex(QByteArrayView bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

} // namespace velto::platform::CodeResources
