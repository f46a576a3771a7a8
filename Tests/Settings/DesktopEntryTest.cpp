#include <Platform/DesktopEntry.h>
#include <gtest/gtest.h>

using namespace velto::platform;

namespace {

/// The Exec value as it stands in the file.
QString execValue(const QString& program) {
    return DesktopEntry::escapeString(DesktopEntry::execCommand(program));
}

} // namespace

TEST(DesktopEntryExec, ReservedCharactersAreEscapedTheWayLaunchersUndoThem) {
    EXPECT_EQ(execValue(QStringLiteral("/my apps/velto")), QStringLiteral("\"/my apps/velto\""));
    // One backslash: quoting makes it two, the string escape four.
    EXPECT_EQ(execValue(QStringLiteral("/a\\b")), QStringLiteral("\"/a\\\\\\\\b\""));
    EXPECT_EQ(execValue(QStringLiteral("/a\"$`b")), QStringLiteral("\"/a\\\\\"\\\\$\\\\`b\""));
    EXPECT_EQ(execValue(QStringLiteral("/100%/velto")), QStringLiteral("\"/100%%/velto\""));
    EXPECT_EQ(execValue(QStringLiteral("/line\nbreak")), QStringLiteral("\"/line\\nbreak\""));
}

TEST(DesktopEntryExec, ArgumentsAreReadBackFromWrittenAndHandWrittenCommands) {
    for (const QString& program :
         {QStringLiteral("/tmp/\"quoted\" $HOME `id` \\x %f %%/velto"),
          QStringLiteral("/tmp/tab\there/grüße"), QStringLiteral("/tmp/trailing ")})
        EXPECT_EQ(DesktopEntry::execArguments(execValue(program)), QStringList{program});
    EXPECT_EQ(DesktopEntry::execArguments(QStringLiteral("  /usr/bin/velto   --tray %U ")),
              (QStringList{QStringLiteral("/usr/bin/velto"), QStringLiteral("--tray"),
                           QStringLiteral("%U")}));
    EXPECT_FALSE(DesktopEntry::execArguments(QStringLiteral("\"/a b/velto")).has_value());
    EXPECT_FALSE(DesktopEntry::execArguments(QStringLiteral("  ")).has_value());
}

TEST(DesktopEntryFile, OnlyTheMainGroupIsRead) {
    const QByteArray text = "# by hand\n"
                            "[Desktop Action quit]\n"
                            "Exec=/bin/false\n"
                            "[Desktop Entry]\r\n"
                            "Name = velto\n"
                            "Exec=\"/opt/velto\"\n"
                            "Exec=/second/one\n"
                            "=no key\n"
                            "no equals sign\n"
                            "[Other]\n"
                            "Hidden=true\n";
    const std::map<QString, QString> expected{
        {QStringLiteral("Name"), QStringLiteral("velto")},
        {QStringLiteral("Exec"), QStringLiteral("\"/opt/velto\"")}};
    EXPECT_EQ(DesktopEntry::mainGroup(text), expected);
}
