#include "Platform/CmsLibrary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <dlfcn.h>

namespace velto::platform::CmsLibrary {
namespace {

using Entry = const CmsSignature::Api* (*)();

// Contents/Frameworks beside the Contents/Linux folder of the executable or
// library that this code was linked into.
QString besideThisCode() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&api), &info) == 0 || !info.dli_fname)
        return QString();
    const QString folder = QFileInfo(QFile::decodeName(info.dli_fname)).absolutePath();
    return QDir::cleanPath(folder + QStringLiteral("/../Frameworks/") + QLatin1String(kSoname));
}

Result<const CmsSignature::Api*> load() {
    using R = Result<const CmsSignature::Api*>;
    void* library = nullptr;
    if (const QString path = besideThisCode(); !path.isEmpty() && QFile::exists(path))
        library = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!library)
        library = dlopen(kSoname, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = dlerror();
        return R::failure(
            QStringLiteral("signatures cannot be checked: %1")
                .arg(reason ? QString::fromLocal8Bit(reason) : QString::fromLatin1(kSoname)));
    }
    // Kept loaded for the process's life: its functions are handed out.
    const auto entry = reinterpret_cast<Entry>(dlsym(library, "velto_cms_api_v1"));
    const CmsSignature::Api* table = entry ? entry() : nullptr;
    if (!table || !table->check || !table->sign)
        return R::failure(QStringLiteral("signatures cannot be checked: %1 has no entry point")
                              .arg(QLatin1String(kSoname)));
    return table;
}

} // namespace

Result<const CmsSignature::Api*> api() {
    static const Result<const CmsSignature::Api*> loaded = load();
    return loaded;
}

} // namespace velto::platform::CmsLibrary
