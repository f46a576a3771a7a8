#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Points HOME and the XDG folders at a fresh folder for each test case, so no
// test reads or writes the real settings and no test sees another's files.
class FreshHomeListener : public testing::EmptyTestEventListener {
public:
    void OnTestStart(const testing::TestInfo&) override {
        m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/velto-test-XXXXXX"));
        const QString root = m_dir->path();
        for (const char* sub : {"home", "config", "data"}) {
            QDir().mkpath(root + QLatin1Char('/') + QLatin1String(sub));
        }
        qputenv("VELTO_TEST_SANDBOX", root.toUtf8());
        qputenv("HOME", (root + QStringLiteral("/home")).toUtf8());
        qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toUtf8());
        qputenv("XDG_DATA_HOME", (root + QStringLiteral("/data")).toUtf8());
    }
    void OnTestEnd(const testing::TestInfo&) override { m_dir.reset(); }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Keep the suite independent of the runner's own session.
    QDir().mkpath(QDir::tempPath());
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    testing::UnitTest::GetInstance()->listeners().Append(new FreshHomeListener);
    return RUN_ALL_TESTS();
}
