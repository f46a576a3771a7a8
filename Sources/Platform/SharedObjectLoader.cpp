#include "Platform/SharedObjectLoader.h"

#include <VeltoPluginKit/PluginClassTable.h>
#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace velto::platform::SharedObjectLoader {

namespace {

QString systemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

bool writeAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

} // namespace

Result<LoadedObject> loadImage(const QByteArray& image, const QString& name) {
    if (image.size() > kMaxObjectBytes)
        return Result<LoadedObject>::failure(QStringLiteral("shared object too large"));

    const int fd = ::memfd_create(name.toUtf8().left(200).constData(), MFD_ALLOW_SEALING);
    if (fd < 0)
        return Result<LoadedObject>::failure(systemError("memfd_create"));
    if (!writeAll(fd, image.constData(), image.size())) {
        const QString error = systemError("write");
        ::close(fd);
        return Result<LoadedObject>::failure(error);
    }
    if (::fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) != 0) {
        const QString error = systemError("sealing");
        ::close(fd);
        return Result<LoadedObject>::failure(error);
    }

    // The descriptor stays open for the life of the process: the dynamic
    // linker knows loaded objects by name too, and a reused descriptor number
    // would make a later plug-in resolve to an earlier one.
    const QByteArray path = QByteArrayLiteral("/proc/self/fd/") + QByteArray::number(fd);
    ::dlerror();
    void* handle = ::dlopen(path.constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = ::dlerror();
        ::close(fd);
        return Result<LoadedObject>::failure(reason ? QString::fromLocal8Bit(reason)
                                                    : QStringLiteral("dlopen failed"));
    }
    return LoadedObject{handle};
}

const kit::ClassTable* classTable(LoadedObject object) {
    if (!object.handle)
        return nullptr;
    using TableFunction = const kit::ClassTable* (*)();
    void* symbol = ::dlsym(object.handle, VELTO_PLUGIN_CLASS_TABLE_SYMBOL);
    if (!symbol)
        return nullptr;
    const auto function = reinterpret_cast<TableFunction>(symbol);
    const kit::ClassTable* table = function();
    if (!table || table->abiVersion != kit::kClassTableABIVersion ||
        (table->count > 0 && !table->records))
        return nullptr;
    return table;
}

} // namespace velto::platform::SharedObjectLoader
