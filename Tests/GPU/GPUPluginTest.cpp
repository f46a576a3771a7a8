#include "GPUCore/GPUMetricsSource.h"
#include "GPUFixtures.h"
#include "GPUPlugin/GPUGaugeAdapter.h"

#include <QCoreApplication>
#include <QLabel>
#include <VeltoPluginKit/PluginClassTable.h>
#include <gtest/gtest.h>
#include <string_view>

namespace velto {
namespace {

TEST(GPUGaugeAdapterTest, DrivesOneSourceThatEveryViewShows) {
    const QString root = test::makeSysfsTree({{"card0", "42\n"}});
    auto source = std::make_shared<GPUMetricsSource>(root.toStdString(), "/nonexistent/nvml.so");
    GPUGaugeAdapter adapter(source);
    const std::unique_ptr<QWidget> menuBar = adapter.menuBarView();
    const std::unique_ptr<QWidget> detail = adapter.detailView();
    adapter.start(3600);
    QCoreApplication::processEvents();
    EXPECT_EQ(menuBar->findChild<QLabel*>(QStringLiteral("value"))->text(), QStringLiteral(" 42%"));
    EXPECT_EQ(detail->findChild<QLabel*>(QStringLiteral("utilization"))->text(),
              QStringLiteral("Utilization  42%"));
    adapter.stop();
    EXPECT_FALSE(source->isRunning());
}

TEST(GPUPluginModuleTest, OffersItsPrincipalClassToTheHost) {
    // Loaded as the host loads a bundle's code, and likewise never unloaded.
    void* module = dlopen(VELTO_GPU_PLUGIN_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    const auto tableOf = reinterpret_cast<const kit::ClassTable* (*)()>(
        dlsym(module, VELTO_PLUGIN_CLASS_TABLE_SYMBOL));
    ASSERT_NE(tableOf, nullptr);
    std::map<std::string_view, const kit::ClassRecord*> classes;
    for (std::size_t i = 0; i < tableOf()->count; ++i) {
        classes[tableOf()->records[i].name] = &tableOf()->records[i];
    }
    ASSERT_EQ(classes.size(), 2u);
    EXPECT_EQ(classes["GPUGaugeAdapter"]->interfaces, kit::AdoptsVeltoWidget);
    const kit::ClassRecord* main = classes["GPUPluginMain"];
    ASSERT_EQ(main->interfaces, kit::AdoptsPluginEntry);

    const WidgetList first = main->classObject()->makeWidgets();
    const WidgetList second = main->classObject()->makeWidgets();
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_NE(first[0], second[0]) << "each call makes a new widget";
    EXPECT_EQ(first[0]->id(), QStringLiteral("gpu"));
    EXPECT_EQ(first[0]->displayName(), QStringLiteral("GPU"));
}

} // namespace
} // namespace velto
