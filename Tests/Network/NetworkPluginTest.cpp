#include "NetworkCore/NetworkMetricsSource.h"
#include "NetworkPlugin/NetworkGaugeAdapter.h"

#include <QCoreApplication>
#include <QLabel>
#include <VeltoPluginKit/PluginClassTable.h>
#include <cstring>
#include <dlfcn.h>
#include <gtest/gtest.h>

namespace velto {
namespace {

TEST(NetworkGaugeAdapterTest, ForwardsEverythingToItsOneSource) {
    int lookups = 0;
    auto source = std::make_shared<NetworkMetricsSource>(
        NetworkMetricsSource::Seams{[] { return InterfaceState{}; },
                                    {},
                                    {},
                                    [&](NetworkMetricsSource::LookupCompletion) { ++lookups; }});
    NetworkGaugeAdapter adapter(source);
    adapter.setPublicIPLookupEnabled(false);
    adapter.start(3600);
    EXPECT_TRUE(source->isRunning());
    EXPECT_EQ(lookups, 0);
    adapter.setPublicIPLookupEnabled(true);
    EXPECT_EQ(lookups, 1);
    source->tick();
    QCoreApplication::processEvents();
    const std::unique_ptr<QWidget> detail = adapter.detailView();
    EXPECT_FALSE(detail->findChild<QLabel*>(QStringLiteral("waiting"))->isVisibleTo(detail.get()))
        << "a view made after the first snapshot shows it at once";
    adapter.stop();
    EXPECT_FALSE(source->isRunning());
    EXPECT_EQ(source->publicIPTimer(), nullptr);
}

const kit::ClassRecord* findClass(const kit::ClassTable& table, const char* name) {
    for (std::size_t i = 0; i < table.count; ++i) {
        if (std::strcmp(table.records[i].name, name) == 0) {
            return &table.records[i];
        }
    }
    return nullptr;
}

TEST(NetworkPluginModuleTest, OffersItsPrincipalClassAndTheLookupSwitch) {
    void* module = dlopen(VELTO_NETWORK_PLUGIN_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    const auto tableOf = reinterpret_cast<const kit::ClassTable* (*)()>(
        dlsym(module, VELTO_PLUGIN_CLASS_TABLE_SYMBOL));
    ASSERT_NE(tableOf, nullptr);
    const kit::ClassTable& table = *tableOf();
    const kit::ClassRecord* adapter = findClass(table, "NetworkGaugeAdapter");
    ASSERT_NE(adapter, nullptr);
    EXPECT_EQ(adapter->interfaces, kit::AdoptsVeltoWidget | kit::AdoptsPublicIPToggleable);
    const kit::ClassRecord* main = findClass(table, "NetworkPluginMain");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->interfaces, kit::AdoptsPluginEntry);

    const WidgetList widgets = main->classObject()->makeWidgets();
    ASSERT_EQ(widgets.size(), 1u);
    EXPECT_NE(widgets[0], main->classObject()->makeWidgets()[0]) << "each call makes a new widget";
    EXPECT_EQ(widgets[0]->id(), QStringLiteral("network"));
    auto* toggle = dynamic_cast<PublicIPToggleable*>(widgets[0].get());
    ASSERT_NE(toggle, nullptr) << "the host finds the second role at run time";
    toggle->setPublicIPLookupEnabled(false);
    EXPECT_NE(widgets[0]->detailView(), nullptr);
}

} // namespace
} // namespace velto
