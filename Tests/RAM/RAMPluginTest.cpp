#include "MemInfoText.h"
#include "RAMCore/RAMMetricsSource.h"
#include "RAMPlugin/RAMGaugeAdapter.h"

#include <QCoreApplication>
#include <QLabel>
#include <VeltoPluginKit/PluginClassTable.h>
#include <cstring>
#include <dlfcn.h>
#include <gtest/gtest.h>

namespace velto {
namespace {

TEST(RAMGaugeAdapterTest, DrivesOneSourceThatEveryViewShows) {
    auto source = std::make_shared<RAMMetricsSource>(
        [] { return std::optional(test::memInfo({.total = 1000, .active = 250})); },
        [] { return std::uint64_t{1024}; });
    RAMGaugeAdapter adapter(source);
    const std::unique_ptr<QWidget> menuBar = adapter.menuBarView();
    const std::unique_ptr<QWidget> detail = adapter.detailView();
    adapter.start(3600);
    QCoreApplication::processEvents();
    EXPECT_EQ(menuBar->findChild<QLabel*>(QStringLiteral("value"))->text(), QStringLiteral(" 25%"));
    EXPECT_EQ(detail->findChild<QLabel*>(QStringLiteral("used"))->text(),
              QStringLiteral("Used  25%"));
    adapter.stop();
    EXPECT_FALSE(source->isRunning());
}

TEST(RAMPluginModuleTest, OffersItsPrincipalClassToTheHost) {
    void* module = dlopen(VELTO_RAM_PLUGIN_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    const auto tableOf = reinterpret_cast<const kit::ClassTable* (*)()>(
        dlsym(module, VELTO_PLUGIN_CLASS_TABLE_SYMBOL));
    ASSERT_NE(tableOf, nullptr);
    const kit::ClassTable& table = *tableOf();
    const kit::ClassRecord* main = nullptr;
    for (std::size_t i = 0; i < table.count; ++i) {
        if (std::strcmp(table.records[i].name, "RAMPluginMain") == 0) {
            main = &table.records[i];
        }
    }
    ASSERT_NE(main, nullptr);
    ASSERT_EQ(main->interfaces, kit::AdoptsPluginEntry);
    const WidgetList widgets = main->classObject()->makeWidgets();
    ASSERT_EQ(widgets.size(), 1u);
    EXPECT_EQ(widgets[0]->id(), QStringLiteral("ram"));
    EXPECT_EQ(widgets[0]->displayName(), QStringLiteral("RAM"));
}

} // namespace
} // namespace velto
