#include "CPUCore/CPUDetailView.h"
#include "CPUCore/CPUMenuBarView.h"
#include "CPUCore/CPUMetricsSource.h"
#include "CPUPlugin/CPUGaugeAdapter.h"
#include "CPUPlugin/CPUPluginMain.h"

#include <VeltoPluginKit/PluginClassTable.h>

#include <QCoreApplication>
#include <QLabel>

#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>

namespace velto {
namespace {

TEST(CPUGaugeAdapterTest, IdentifiesItselfAsTheCPUWidget) {
    CPUGaugeAdapter adapter;
    EXPECT_EQ(adapter.id(), QStringLiteral("cpu"));
    EXPECT_EQ(adapter.displayName(), QStringLiteral("CPU"));
    ASSERT_NE(adapter.source(), nullptr);
    EXPECT_FALSE(adapter.source()->isRunning());
}

TEST(CPUGaugeAdapterTest, StartAndStopDriveItsSource) {
    int reads = 0;
    auto source = std::make_shared<CPUMetricsSource>([&reads]() -> std::optional<std::string> {
        ++reads;
        return "cpu 0\ncpu0 1 0 1 0\n";
    });
    CPUGaugeAdapter adapter(source);
    adapter.start(3600);
    EXPECT_TRUE(source->isRunning());
    EXPECT_EQ(reads, 0);
    source->tick();
    EXPECT_TRUE(source->hasBaseline());
    adapter.start(3600); // a new interval restarts the run
    EXPECT_TRUE(source->isRunning());
    EXPECT_FALSE(source->hasBaseline());
    adapter.stop();
    EXPECT_FALSE(source->isRunning());
    adapter.stop();
    EXPECT_FALSE(source->isRunning());
}

TEST(CPUGaugeAdapterTest, EveryViewObservesTheOneSource) {
    std::string text = "cpu 0\ncpu0 0 0 0 0\n";
    auto source = std::make_shared<CPUMetricsSource>([&text] { return std::optional(text); });
    CPUGaugeAdapter adapter(source);
    const std::unique_ptr<QWidget> menuBar = adapter.menuBarView();
    const std::unique_ptr<QWidget> detail = adapter.detailView();
    const std::unique_ptr<QWidget> secondMenuBar = adapter.menuBarView();
    ASSERT_NE(dynamic_cast<CPUMenuBarView*>(menuBar.get()), nullptr);
    ASSERT_NE(dynamic_cast<CPUDetailView*>(detail.get()), nullptr);
    EXPECT_NE(menuBar.get(), secondMenuBar.get());

    adapter.start(3600);
    source->tick();
    text = "cpu 0\ncpu0 3 0 1 0\n";
    source->tick();
    QCoreApplication::processEvents();
    for (const QWidget* view : {menuBar.get(), secondMenuBar.get()}) {
        EXPECT_EQ(view->findChild<QLabel*>(QStringLiteral("value"))->text(),
                  QStringLiteral(" 75%"));
    }
    EXPECT_EQ(detail->findChild<QLabel*>(QStringLiteral("total"))->text(),
              QStringLiteral("Total  75%"));
}

TEST(CPUPluginMainTest, MakesOneNewWidgetPerCall) {
    const CPUPluginMain entry;
    const WidgetList first = entry.makeWidgets();
    const WidgetList second = entry.makeWidgets();
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_NE(first[0], second[0]);
    EXPECT_EQ(first[0]->id(), QStringLiteral("cpu"));
    const auto* a = dynamic_cast<CPUGaugeAdapter*>(first[0].get());
    const auto* b = dynamic_cast<CPUGaugeAdapter*>(second[0].get());
    ASSERT_TRUE(a && b);
    EXPECT_NE(a->source(), b->source());
}

const kit::ClassRecord* findClass(const kit::ClassTable& table, const char* name) {
    for (std::size_t i = 0; i < table.count; ++i) {
        if (std::strcmp(table.records[i].name, name) == 0) {
            return &table.records[i];
        }
    }
    return nullptr;
}

TEST(CPUPluginModuleTest, ExportsItsClassesToTheHost) {
    // Loaded the way the host loads a bundle's code, and never unloaded, as there.
    void* module = dlopen(VELTO_CPU_PLUGIN_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    using TableFunction = const kit::ClassTable* (*)();
    const auto tableOf =
        reinterpret_cast<TableFunction>(dlsym(module, VELTO_PLUGIN_CLASS_TABLE_SYMBOL));
    ASSERT_NE(tableOf, nullptr);
    const kit::ClassTable* table = tableOf();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->abiVersion, kit::kClassTableABIVersion);

    const kit::ClassRecord* adapter = findClass(*table, "CPUGaugeAdapter");
    ASSERT_NE(adapter, nullptr);
    EXPECT_EQ(adapter->interfaces, kit::AdoptsVeltoWidget);

    const kit::ClassRecord* main = findClass(*table, "CPUPluginMain");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->interfaces, kit::AdoptsPluginEntry);
    ASSERT_NE(main->classObject, nullptr);
    const WidgetList widgets = main->classObject()->makeWidgets();
    ASSERT_EQ(widgets.size(), 1u);
    EXPECT_EQ(widgets[0]->id(), QStringLiteral("cpu"));
    EXPECT_EQ(widgets[0]->displayName(), QStringLiteral("CPU"));
    EXPECT_NE(widgets[0]->menuBarView(), nullptr);
    EXPECT_NE(widgets[0]->detailView(), nullptr);
}

} // namespace
} // namespace velto
