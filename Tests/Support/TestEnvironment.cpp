#include "Support/TestEnvironment.h"

#include <QDir>
#include <QTemporaryDir>
#include <atomic>

namespace velto::test {

QString sandboxRoot() {
    return qEnvironmentVariable("VELTO_TEST_SANDBOX");
}

QString renderPath(const QString& fileName) {
    const QString folder = QStringLiteral(VELTO_RENDER_DIR);
    QDir().mkpath(folder);
    return folder + QLatin1Char('/') + fileName;
}

QString makeTempFolder(const QString& prefix) {
    static std::atomic<int> counter{0};
    const QString path =
        sandboxRoot() + QStringLiteral("/%1-%2").arg(prefix).arg(counter.fetch_add(1));
    QDir().mkpath(path);
    return path;
}

} // namespace velto::test
