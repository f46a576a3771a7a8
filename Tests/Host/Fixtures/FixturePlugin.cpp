// A plug-in for the loader's tests. Each makeWidgets() call bumps the
// process-wide counter VELTO_FIXTURE_MAKE_WIDGETS_CALLS, so that tests can see
// how often the host asked, across every loaded copy of this code.

#include <QLabel>
#include <VeltoPluginKit/PluginClassTable.h>

namespace {

class FixtureWidget final : public velto::VeltoWidget {
public:
    QString id() const override { return QStringLiteral(FIXTURE_WIDGET_ID); }
    QString displayName() const override { return QStringLiteral("Fixture"); }
    void start(double) override {}
    void stop() override {}
    std::unique_ptr<QWidget> menuBarView() override {
        return std::make_unique<QLabel>(QStringLiteral("fixture"));
    }
    std::unique_ptr<QWidget> detailView() override {
        return std::make_unique<QLabel>(QStringLiteral("fixture"));
    }
};

class FixturePluginMain final : public velto::PluginEntry {
public:
    velto::WidgetList makeWidgets() const override {
        const int calls = qEnvironmentVariableIntValue("VELTO_FIXTURE_MAKE_WIDGETS_CALLS");
        qputenv("VELTO_FIXTURE_MAKE_WIDGETS_CALLS", QByteArray::number(calls + 1));
        return {std::make_shared<FixtureWidget>()};
    }
};

} // namespace

VELTO_PLUGIN_CLASSES(VELTO_PLUGIN_CLASS(FixturePluginMain), VELTO_PLUGIN_CLASS(FixtureWidget))
