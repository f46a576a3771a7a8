// A plug-in with one widget whose id is fixed at build time (NAMED_WIDGET_ID).

#include <QLabel>
#include <VeltoPluginKit/PluginClassTable.h>

namespace {

class NamedWidget final : public velto::VeltoWidget {
public:
    QString id() const override { return QStringLiteral(NAMED_WIDGET_ID); }
    QString displayName() const override { return QStringLiteral(NAMED_WIDGET_ID); }
    void start(double) override {}
    void stop() override {}
    std::unique_ptr<QWidget> menuBarView() override {
        return std::make_unique<QLabel>(QStringLiteral(NAMED_WIDGET_ID));
    }
    std::unique_ptr<QWidget> detailView() override {
        return std::make_unique<QLabel>(QStringLiteral(NAMED_WIDGET_ID));
    }
};

class NamedPluginMain final : public velto::PluginEntry {
public:
    velto::WidgetList makeWidgets() const override { return {std::make_shared<NamedWidget>()}; }
};

} // namespace

VELTO_PLUGIN_CLASSES(VELTO_PLUGIN_CLASS(NamedPluginMain))
