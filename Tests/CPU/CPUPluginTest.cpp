#include "CPUCore/CPUMetricsSource.h"
#include "CPUPlugin/CPUGaugeAdapter.h"

#include <QCoreApplication>
#include <QLabel>
#include <VeltoPluginKit/PluginClassTable.h>
#include <cstring>
#include <dlfcn.h>
#include <gtest/gtest.h>

namespace velto {
namespace {

TEST(CPUGaugeAdapterTest, DrivesOneSourceThatEveryViewShows) {
    std::string text = "cpu 0\ncpu0 0 0 0 0\n";
    auto source = std::make_shared<CPUMetricsSource>([&text] { return std::optional(text); });
    CPUGaugeAdapter adapter(source);
    EXPECT_EQ(adapter.id(), QStringLiteral("cpu"));
    EXPECT_EQ(adapter.displayName(), QStringLiteral("CPU"));
    const std::unique_ptr<QWidget> menuBar = adapter.menuBarView();
    const std::unique_ptr<QWidget> detail = adapter.detailView();

    adapter.start(3600);
    EXPECT_TRUE(source->isRunning());
    source->tick();
    text = "cpu 0\ncpu0 3 0 0 1\n";
    source->tick();
    QCoreApplication::processEvents();
    EXPECT_EQ(menuBar->findChild<QLabel*>(QStringLiteral("value"))->text(), QStringLiteral(" 75%"));
    EXPECT_EQ(detail->findChild<QLabel*>(QStringLiteral("total"))->text(),
              QStringLiteral("Total  75%"));

    adapter.start(3600); // a new interval restarts the run
    EXPECT_FALSE(source->hasBaseline());
    adapter.stop();
    EXPECT_FALSE(source->isRunning());
}

const kit::ClassRecord* findClass(const kit::ClassTable& table, const char* name) {
    for (std::size_t i = 0; i < table.count; ++i) {
        if (std::strcmp(table.records[i].name, name) == 0) {
            return &table.records[i];
        }
    }
    return nullptr;
}

TEST(CPUPluginModuleTest, OffersItsPrincipalClassToTheHost) {
    // Loaded as the host loads a bundle's code, and likewise never unloaded.
    void* module = dlopen(VELTO_CPU_PLUGIN_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    const auto tableOf = reinterpret_cast<const kit::ClassTable* (*)()>(
        dlsym(module, VELTO_PLUGIN_CLASS_TABLE_SYMBOL));
    ASSERT_NE(tableOf, nullptr);
    const kit::ClassTable& table = *tableOf();
    EXPECT_EQ(table.abiVersion, kit::kClassTableABIVersion);

    const kit::ClassRecord* adapter = findClass(table, "CPUGaugeAdapter");
    ASSERT_NE(adapter, nullptr);
    EXPECT_EQ(adapter->interfaces, kit::AdoptsVeltoWidget);
    const kit::ClassRecord* main = findClass(table, "CPUPluginMain");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->interfaces, kit::AdoptsPluginEntry);
    ASSERT_NE(main->classObject, nullptr);

    const WidgetList first = main->classObject()->makeWidgets();
    const WidgetList second = main->classObject()->makeWidgets();
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_NE(first[0], second[0]) << "each call makes a new widget";
    EXPECT_EQ(first[0]->id(), QStringLiteral("cpu"));
    EXPECT_EQ(first[0]->displayName(), QStringLiteral("CPU"));
    EXPECT_NE(first[0]->menuBarView(), nullptr);
    EXPECT_NE(first[0]->detailView(), nullptr);
}

} // namespace
} // namespace velto
