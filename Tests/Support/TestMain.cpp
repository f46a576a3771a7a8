// The main of every test binary: a QApplication on the offscreen platform, and
// for each test case fresh HOME, XDG_CONFIG_HOME and XDG_DATA_HOME folders, so
// that no test reads or writes real settings or plug-ins.

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

class SandboxListener : public testing::EmptyTestEventListener {
public:
    void OnTestStart(const testing::TestInfo&) override {
        m_folder = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                   QStringLiteral("/velto-test-XXXXXX"));
        const QString root = m_folder->path();
        for (const char* sub : {"home", "config", "data"})
            QDir(root).mkpath(QString::fromLatin1(sub));
        qputenv("VELTO_TEST_SANDBOX", root.toUtf8());
        qputenv("HOME", (root + QStringLiteral("/home")).toUtf8());
        qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toUtf8());
        qputenv("XDG_DATA_HOME", (root + QStringLiteral("/data")).toUtf8());
    }

    void OnTestEnd(const testing::TestInfo&) override {
        // Tests may leave read-only folders behind; make them removable again.
        if (m_folder)
            makeWritable(m_folder->path());
        m_folder.reset();
    }

private:
    static void makeWritable(const QString& path) {
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                        QFileDevice::ExeOwner);
        const QDir dir(path);
        for (const QFileInfo& entry :
             dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::NoSymLinks))
            makeWritable(entry.filePath());
    }

    std::unique_ptr<QTemporaryDir> m_folder;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    testing::UnitTest::GetInstance()->listeners().Append(new SandboxListener);
    return RUN_ALL_TESTS();
}
