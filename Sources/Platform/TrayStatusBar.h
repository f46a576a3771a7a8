#pragma once

#include "Platform/FigureGlyphMasks.h"
#include "Platform/StatusBar.h"

#include <QDBusConnection>
#include <QObject>
#include <functional>
#include <memory>
#include <vector>

class QDBusServiceWatcher;

namespace velto::platform {

class OwnStatusBar;
class TrayStatusItem;

/**
 * The desktop's tray (the StatusNotifierItem protocol that KDE Plasma, GNOME
 * with the AppIndicator extension, Xfce, Cinnamon and waybar host), followed
 * while velto runs: while a watcher with a host is on the bus every item is
 * registered there and velto's own bar is laid out and drawn off screen;
 * while there is none the own bar shows the same items on screen. Moving
 * between the two loses no item, subview or popover.
 *
 * The host owns the geometry in the tray, so frames say nothing there:
 * reportsItemFrames() is false while the items are in the tray.
 */
class TrayStatusBar final : public QObject, public StatusBar {
    Q_OBJECT
public:
    /// Follows the watcher on @p bus; without a connected bus it is the own bar for good.
    explicit TrayStatusBar(const QDBusConnection& bus);
    ~TrayStatusBar() override;

    StatusItem* statusItem(double length) override;
    double thickness() const override { return kDefaultThickness; }
    bool reportsItemFrames() const override { return !m_inTray; }
    Kind kind() const override { return Kind::Tray; }
    void setSecondaryAction(std::function<void()> action) override;

    /// True while the items are in the tray rather than on the own bar.
    bool isInTray() const { return m_inTray; }
    OwnStatusBar& ownBar() const { return *m_ownBar; }
    /// The masks the items' squares of figures are laid from, shared by every item.
    const std::shared_ptr<FigureGlyphMasks>& glyphMasks() const { return m_glyphMasks; }
    std::vector<TrayStatusItem*> items() const;

    /// A click on @p item in the tray at the host's (@p x, @p y); 0, 0 when
    /// the host gives no place.
    void activate(TrayStatusItem& item, int x, int y);
    /// A secondary click or a context-menu request on @p item.
    void activateSecondary(TrayStatusItem& item, int x, int y);

Q_SIGNALS:
    /// The items moved into the tray (true) or onto the own bar (false).
    void trayChanged(bool inTray);

private Q_SLOTS:
    void hostRegistered();

private:
    void watcherAppeared();
    void askWhetherHostIsThere();
    void enterTray();
    void leaveTray();

    QDBusConnection m_bus;
    std::unique_ptr<OwnStatusBar> m_ownBar;
    std::shared_ptr<FigureGlyphMasks> m_glyphMasks = std::make_shared<FigureGlyphMasks>();
    std::vector<std::unique_ptr<TrayStatusItem>> m_items;
    QDBusServiceWatcher* m_watcher = nullptr;
    std::function<void()> m_secondaryAction;
    bool m_inTray = false;
    /// Counts moves between tray and own bar, so that late replies to an
    /// earlier registration are ignored.
    int m_generation = 0;
};

} // namespace velto::platform
