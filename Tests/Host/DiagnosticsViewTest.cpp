#include "DiagnosticsView.h"

#include "BundleFixtures.h"
#include "PluginLoader.h"

#include <Platform/UserDefaults.h>
#include <QTest>
#include <Support/TestEnvironment.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace velto;
using namespace velto::test;
using testing::ElementsAre;
using testing::IsEmpty;

TEST(DiagnosticsView, GainsAndLosesRowsWhileShown) {
    platform::UserDefaults defaults(QStringLiteral("org.velto.diagnostics"));
    PluginLoader loader(defaults);
    DiagnosticsView view(loader);
    view.resize(460, 160);
    view.show();
    EXPECT_THAT(view.rows(), IsEmpty());

    const QString folder = makeTempFolder(QStringLiteral("plugins"));
    copyBundle(fixtureBundle(QStringLiteral("Unsigned")), folder, QStringLiteral("B.bundle"));
    copyBundle(fixtureBundle(QStringLiteral("APIVersion2")), folder, QStringLiteral("A.bundle"));
    loader.loadBundles(folder, false, {});
    QTest::qWait(20);
    EXPECT_THAT(view.rows(),
                ElementsAre("Skipped A.bundle: incompatible or unreadable plugin API version",
                            "Skipped B.bundle: invalid or missing signature"));
    view.grab().save(renderPath(QStringLiteral("settings-diagnostics.png")));

    copyBundle(fixtureBundle(QStringLiteral("Good")), folder, QStringLiteral("B.bundle"));
    loader.loadBundles(folder, false, {});
    QTest::qWait(20);
    EXPECT_THAT(view.rows(),
                ElementsAre("Skipped A.bundle: incompatible or unreadable plugin API version"));

    copyBundle(fixtureBundle(QStringLiteral("Good")), folder, QStringLiteral("A.bundle"));
    loader.loadBundles(folder, false, {});
    QTest::qWait(20);
    EXPECT_THAT(view.rows(), IsEmpty()) << "the sentence is back";
}
