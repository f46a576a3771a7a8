#include "SmokeTest.h"

#include "TextOrder.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace velto;

namespace {

std::optional<double> secondsFor(const QStringList& arguments) {
    return SmokeTest::exitAfterSeconds(
        QStringList{QStringLiteral("/opt/velto.app/Contents/Linux/velto")} + arguments);
}

} // namespace

TEST(SmokeTestOption, IsAPrefixOfAnyArgumentThePathIncluded) {
    EXPECT_TRUE(SmokeTest::isRequested({QStringLiteral("--smoke-test-exit-after=abc")}));
    EXPECT_TRUE(
        SmokeTest::isRequested({QStringLiteral("--smoke-test-exit-after=1"), QStringLiteral("x")}));
    EXPECT_FALSE(SmokeTest::isRequested(
        {QStringLiteral("velto"), QStringLiteral("--smoke-test-exit-after")}));
    EXPECT_FALSE(SmokeTest::isRequested({QStringLiteral("--SMOKE-TEST-EXIT-AFTER=1")}));
    EXPECT_FALSE(SmokeTest::isRequested({QStringLiteral("x--smoke-test-exit-after=1")}));
}

TEST(SmokeTestOption, TheValueIsTheSecondNonEmptyPiece) {
    EXPECT_EQ(secondsFor({QStringLiteral("--smoke-test-exit-after=2.5")}), 2.5);
    EXPECT_EQ(secondsFor({QStringLiteral("--smoke-test-exit-after==3")}), 3.0);
    EXPECT_EQ(secondsFor({QStringLiteral("--smoke-test-exit-after=4=9")}), 4.0);
    EXPECT_EQ(secondsFor({QStringLiteral("--smoke-test-exit-after=1e1")}), 10.0);
    EXPECT_EQ(secondsFor({QStringLiteral("--smoke-test-exit-after=+1")}), 1.0);
    // Only the first option counts.
    EXPECT_EQ(secondsFor({QStringLiteral("--smoke-test-exit-after=5"),
                          QStringLiteral("--smoke-test-exit-after=1")}),
              5.0);
    EXPECT_EQ(secondsFor({QStringLiteral("--smoke-test-exit-after=x"),
                          QStringLiteral("--smoke-test-exit-after=1")}),
              std::nullopt);
}

TEST(SmokeTestOption, AnythingButAFiniteNumberSchedulesNothing) {
    for (const char* argument : {"--smoke-test-exit-after=abc", "--smoke-test-exit-after=",
                                 "--smoke-test-exit-after===", "--smoke-test-exit-after=2s",
                                 "--smoke-test-exit-after=nan", "--smoke-test-exit-after=inf",
                                 "--smoke-test-exit-after=1e999", "--smoke-test-exit-after= 1",
                                 "--smoke-test-exit-after=0x10", "--smoke-test-exit-after=1,5"})
        EXPECT_EQ(secondsFor({QString::fromLatin1(argument)}), std::nullopt) << argument;
    EXPECT_EQ(secondsFor({}), std::nullopt);
}

TEST(SmokeTestOption, TheDecimalPointDoesNotDependOnTheLocale) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German));
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_EQ(secondsFor({QStringLiteral("--smoke-test-exit-after=0.25")}), 0.25);
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(before);
}

TEST(SmokeTestLines, WidgetIdsAreSortedByCodePoint) {
    EXPECT_EQ(SmokeTest::loadedWidgetsLine({}), QStringLiteral("SMOKE_TEST_LOADED_WIDGET_IDS: "));
    EXPECT_EQ(SmokeTest::loadedWidgetsLine({QStringLiteral("ram"), QStringLiteral("cpu"),
                                            QStringLiteral("network"), QStringLiteral("gpu")}),
              QStringLiteral("SMOKE_TEST_LOADED_WIDGET_IDS: cpu,gpu,network,ram"));
    EXPECT_EQ(SmokeTest::loadedWidgetsLine(
                  {QStringLiteral("b"), QStringLiteral("B"), QStringLiteral("a")}),
              QStringLiteral("SMOKE_TEST_LOADED_WIDGET_IDS: B,a,b"));
    EXPECT_EQ(SmokeTest::diagnosticLine(QStringLiteral("Skipped A.bundle: x")),
              QStringLiteral("SMOKE_TEST_DIAGNOSTIC: Skipped A.bundle: x"));
    EXPECT_EQ(SmokeTest::defaultsDomain(QStringLiteral("org.velto.velto")),
              QStringLiteral("org.velto.velto.smoke-test"));
}

TEST(CodePointOrder, PutsCharactersBeyondTheBasicPlaneLast) {
    const QString emoji = QString::fromUcs4(U"\U0001F600");
    const QString privateUse = QString::fromUcs4(U"\uE000");
    EXPECT_TRUE(codePointLess(privateUse, emoji));
    EXPECT_FALSE(codePointLess(emoji, privateUse));
    EXPECT_TRUE(codePointLess(QStringLiteral("A"), QStringLiteral("AB")));
    EXPECT_FALSE(codePointLess(QStringLiteral("A"), QStringLiteral("A")));
}
