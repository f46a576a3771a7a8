#pragma once

#include <QString>
#include <VeltoPluginKit/VeltoPluginKitExport.h>
#include <memory>
#include <vector>

class QWidget;

namespace velto {

/**
 * One live gauge vended by a plug-in bundle.
 *
 * Widgets are shared between the bundle that made them and the host, which keeps
 * them for the rest of the process. Every call arrives on the main thread.
 *
 * @warning The order of the operations below is part of the binary contract
 * between the host and plug-ins; never reorder, insert or remove one.
 */
class VELTOPLUGINKIT_EXPORT VeltoWidget {
public:
    virtual ~VeltoWidget();

    /// Stable key: settings "widget.<id>.enabled", status item names, smoke-test output.
    virtual QString id() const = 0;
    /// Label of the widget's switch in the settings window.
    virtual QString displayName() const = 0;
    /// Begins (or restarts) sampling every @p interval seconds; the host never passes <= 0.
    virtual void start(double interval) = 0;
    /// Stops sampling. The last reading stays visible.
    virtual void stop() = 0;
    /// A new view for the status item; the caller owns it.
    virtual std::unique_ptr<QWidget> menuBarView() = 0;
    /// A new view for the popover; the caller owns it.
    virtual std::unique_ptr<QWidget> detailView() = 0;

protected:
    VeltoWidget() = default;
    VeltoWidget(const VeltoWidget&) = delete;
    VeltoWidget& operator=(const VeltoWidget&) = delete;
};

using WidgetList = std::vector<std::shared_ptr<VeltoWidget>>;

} // namespace velto
