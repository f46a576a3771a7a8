#include "StatusItemMigration.h"

#include "StatusItemNames.h"
#include "Support/TestEnvironment.h"

#include <Platform/UserDefaults.h>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <memory>

using namespace velto;
using velto::platform::UserDefaults;

namespace {

const QString kFlag = QStringLiteral("statusItemNamesMigrated");

std::unique_ptr<UserDefaults> freshDomain() {
    return std::make_unique<UserDefaults>(QStringLiteral("org.velto.velto"),
                                          test::makeTempFolder());
}

} // namespace

TEST(StatusItemNamesTest, NamesAreFixedAndTakeTheIdVerbatim) {
    EXPECT_EQ(StatusItemNames::widget(QStringLiteral("cpu")), QStringLiteral("velto.widget.cpu"));
    EXPECT_EQ(StatusItemNames::widget(QStringLiteral("my.gauge two")),
              QStringLiteral("velto.widget.my.gauge two"));
    EXPECT_EQ(StatusItemNames::compact(), QStringLiteral("velto.compact"));
    EXPECT_EQ(StatusItemNames::settings(), QStringLiteral("velto.settings"));
}

TEST(StatusItemMigrationKeys, OnlyDefaultItemNamesAreLegacy) {
    const QStringList keys{
        QStringLiteral("NSStatusItem Preferred Position Item-0"),
        QStringLiteral("NSStatusItem Visible Item-12"),
        QStringLiteral("NSStatusItem Preferred Position velto.widget.cpu"),
        QStringLiteral("NSStatusItem Preferred Position Item-"),
        QStringLiteral("NSStatusItem Visible Item-3a"),
        QStringLiteral("NSStatusItemVisible Item-3"),
    };
    EXPECT_EQ(StatusItemMigration::legacyKeys(keys), keys.first(2));

    // The blank after the prefix may be the one before "Item-"; digits of any
    // script count, as a regular expression's \d; the ending is exact.
    EXPECT_TRUE(StatusItemMigration::isLegacyKey(QStringLiteral("NSStatusItem Item-7")));
    EXPECT_TRUE(
        StatusItemMigration::isLegacyKey(QStringLiteral("NSStatusItem Visible Item-\U0001D7D5")));
    EXPECT_FALSE(StatusItemMigration::isLegacyKey(QStringLiteral("NSStatusItem Visible item-1")));
    EXPECT_FALSE(StatusItemMigration::isLegacyKey(QStringLiteral("NSStatusItem Visible Item-1 ")));
    EXPECT_FALSE(StatusItemMigration::isLegacyKey(QStringLiteral("NSStatusItem Visible Item--1")));
}

TEST(StatusItemMigrationRun, RemovesTheLegacyEntriesOnlyAtTheFirstRun) {
    const auto defaults = freshDomain();
    ASSERT_TRUE(defaults->setValue(QStringLiteral("NSStatusItem Preferred Position Item-0"), 310));
    ASSERT_TRUE(defaults->setValue(QStringLiteral("NSStatusItem Visible Item-12"), true));
    ASSERT_TRUE(defaults->setValue(QStringLiteral("NSStatusItem Visible velto.widget.cpu"), true));
    StatusItemMigration::run(*defaults);
    const QJsonObject migrated{{QStringLiteral("NSStatusItem Visible velto.widget.cpu"), true},
                               {kFlag, true}};
    EXPECT_EQ(defaults->dictionaryRepresentation(), migrated);

    ASSERT_TRUE(defaults->setValue(QStringLiteral("NSStatusItem Visible Item-4"), false));
    StatusItemMigration::run(*defaults);
    EXPECT_EQ(defaults->value(QStringLiteral("NSStatusItem Visible Item-4")), QJsonValue(false));
}

TEST(StatusItemMigrationRun, FlagIsSetInADomainWithoutStatusItemsAndCountsOnlyAsABool) {
    const auto empty = freshDomain();
    StatusItemMigration::run(*empty);
    EXPECT_EQ(empty->dictionaryRepresentation(), QJsonObject({{kFlag, true}}));

    for (const QJsonValue& flag : {QJsonValue(1), QJsonValue(QStringLiteral("true"))}) {
        const auto defaults = freshDomain();
        ASSERT_TRUE(defaults->setValue(kFlag, flag));
        ASSERT_TRUE(defaults->setValue(QStringLiteral("NSStatusItem Visible Item-1"), true));
        StatusItemMigration::run(*defaults);
        EXPECT_EQ(defaults->dictionaryRepresentation().size(), flag.isString() ? 1 : 2);
    }
}
