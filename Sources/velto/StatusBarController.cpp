#include "StatusBarController.h"

#include "DisplayEnvironment.h"
#include "MenuBarFit/MenuBarFit.h"
#include "PassthroughHostingView.h"
#include "PopoverContent.h"
#include "PopoverShower.h"
#include "SettingsPlacement.h"
#include "SettingsStore.h"
#include "SettingsView.h"
#include "SettingsWindow.h"
#include "StatusItemNames.h"

#include <Platform/Application.h>
#include <Platform/Popover.h>
#include <Platform/Screen.h>
#include <Platform/StatusBar.h>
#include <Platform/StatusBarButton.h>
#include <Platform/StatusItem.h>
#include <QLabel>
#include <QPointer>
#include <algorithm>
#include <cmath>
#include <set>

namespace velto {

namespace {

const QString kGearTitle = QStringLiteral("\u2699");

// Half a gap on either side of a reading in the combined item is its own when
// a click is matched, so a click between two readings opens the nearer one.
constexpr double kClickWidening = MenuBarFit::slotGap / 2;

// NSPointInRect's rule: the left and top edges belong to the rectangle, the
// right and bottom ones to its neighbours.
bool holds(const QRectF& rect, const QPointF& point) {
    return point.x() >= rect.left() && point.x() < rect.right() && point.y() >= rect.top() &&
           point.y() < rect.bottom();
}

double wholePoints(double width) {
    return std::ceil(width);
}

void setVisibleIfChanged(platform::StatusItem& item, bool visible) {
    if (item.isVisible() != visible)
        item.setVisible(visible);
}

void setLengthIfChanged(platform::StatusItem& item, double length) {
    if (item.length() != length)
        item.setLength(length);
}

void setFrameIfChanged(platform::HostingView& view, const QRectF& frame) {
    if (view.frame() != frame)
        view.setFrame(frame);
}

// A detached view is never shown: it would open as a window of its own.
void setHiddenIfChanged(platform::HostingView& view, bool hidden) {
    if (view.isHiddenWanted() != hidden && (hidden || view.parentWidget()))
        view.setVisible(!hidden);
}

} // namespace

StatusBarController::StatusBarController(SettingsStore& settings, PluginLoader& loader,
                                         UpdateControls* updateControls)
    : StatusBarController(settings, loader, updateControls, platform::StatusBar::system(),
                          PopoverShower::shared()) {}

StatusBarController::StatusBarController(SettingsStore& settings, PluginLoader& loader,
                                         UpdateControls* updateControls,
                                         platform::StatusBar& statusBar,
                                         PopoverShower& popoverShower)
    : StatusBarController(settings, loader, updateControls, statusBar, popoverShower,
                          std::make_unique<QtDisplayEnvironment>(&statusBar)) {}

StatusBarController::StatusBarController(SettingsStore& settings, PluginLoader& loader,
                                         UpdateControls* updateControls,
                                         platform::StatusBar& statusBar,
                                         PopoverShower& popoverShower,
                                         std::unique_ptr<DisplayEnvironment> environment)
    : m_environment(std::move(environment)), m_lifecycle(settings), m_settings(settings),
      m_loader(loader), m_updateControls(updateControls), m_statusBar(statusBar),
      m_popoverShower(popoverShower) {}

StatusBarController::~StatusBarController() = default;

void StatusBarController::present(const WidgetList& widgets) {
    // A batch may repeat an id too; its first widget wins, like an earlier batch's.
    std::set<QString> presented;
    for (const auto& widget : m_widgets)
        presented.insert(widget->id());
    WidgetList kept;
    for (const auto& widget : widgets) {
        if (widget && presented.insert(widget->id()).second)
            kept.push_back(widget);
    }
    if (kept.empty())
        return;
    m_widgets.insert(m_widgets.end(), kept.begin(), kept.end());

    if (m_settings.compactMenuBar() && !m_isCombined)
        setCombined(true);

    const QPointer<StatusBarController> self(this);
    for (const auto& widget : kept) {
        auto slot = std::make_shared<Slot>();
        slot->widget = widget;
        slot->hosting = std::make_unique<PassthroughHostingView>(widget->menuBarView());
        slot->popover = std::make_unique<platform::Popover>();

        PassthroughHostingView* hosting = slot->hosting.get();
        // Tray hosts show this as the item's name.
        hosting->setToolTip(widget->displayName());
        const std::weak_ptr<Slot> weakSlot = slot;
        const QPointer<PassthroughHostingView> weakHosting(hosting);
        hosting->setOnLayout([self, weakSlot, weakHosting] {
            const auto alive = weakSlot.lock();
            if (self && alive && weakHosting)
                self->widthChanged(*alive);
        });

        const std::weak_ptr<VeltoWidget> weakWidget = widget;
        const auto makeDetailView = [weakWidget]() -> std::unique_ptr<QWidget> {
            const auto alive = weakWidget.lock();
            return alive ? alive->detailView() : nullptr;
        };
        PopoverContent::fill(*slot->popover, PopoverContent::DetailViewMaker(makeDetailView),
                             [self] {
                                 if (self)
                                     self->openSettings();
                             });
        m_popoverShower.track(*slot->popover);

        m_slots[widget->id()] = slot;
        m_slotOrder.push_back(widget->id());
        slot->contentWidth = wholePoints(hosting->fittingSize().width());
        attach(*slot);
        m_lifecycle.sync(*widget);
    }

    if (!m_settingsItem) {
        presentSettingsMenuItem();
        startVisibilityMonitor();
    }
    applyCombinedState();

    if (m_settingsWindow)
        m_settingsWindow->setContentView(makeSettingsView());
}

void StatusBarController::widthChanged(Slot& slot) {
    const double measured = wholePoints(slot.hosting->fittingSize().width());
    const double width = std::max(slot.contentWidth, measured);
    if (width == slot.contentWidth)
        return;
    slot.contentWidth = width;
    relayout();
}

void StatusBarController::attach(Slot& slot) {
    slot.hosting->removeFromSuperview();
    if (m_isCombined) {
        if (platform::StatusBarButton* button = m_combinedItem ? m_combinedItem->button() : nullptr)
            button->addSubview(slot.hosting.get());
        return;
    }
    platform::StatusItem* item = slot.item ? slot.item : makeWidgetItem(slot);
    if (platform::StatusBarButton* button = item->button())
        button->addSubview(slot.hosting.get());
}

platform::StatusItem* StatusBarController::makeWidgetItem(Slot& slot) {
    platform::StatusItem* item = m_statusBar.statusItem(platform::StatusItem::kVariableLength);
    item->setAutosaveName(StatusItemNames::widget(slot.widget->id()));
    if (platform::StatusBarButton* button = item->button()) {
        button->setAction(m_popoverShower.toggleAction());
        m_popoverShower.registerButton(*button, *slot.popover, slot.hosting.get());
    }
    slot.item = item;
    return item;
}

void StatusBarController::presentSettingsMenuItem() {
    platform::StatusItem* item = m_statusBar.statusItem(platform::StatusItem::kSquareLength);
    item->setAutosaveName(StatusItemNames::settings());
    if (platform::StatusBarButton* button = item->button()) {
        button->setTitle(kGearTitle);
        const QPointer<StatusBarController> self(this);
        button->setAction([self](platform::StatusBarButton&) {
            if (self)
                self->openSettings();
        });
    }
    m_settingsItem = item;
}

std::vector<StatusBarController::Slot*> StatusBarController::enabledSlots() const {
    std::vector<Slot*> enabled;
    for (const QString& id : m_slotOrder) {
        const auto found = m_slots.find(id);
        if (found != m_slots.end() && m_settings.isEnabled(id))
            enabled.push_back(found->second.get());
    }
    return enabled;
}

void StatusBarController::relayout() {
    const std::vector<Slot*> enabled = enabledSlots();
    for (const auto& [id, slot] : m_slots) {
        const bool isEnabled =
            std::find(enabled.begin(), enabled.end(), slot.get()) != enabled.end();
        setHiddenIfChanged(*slot->hosting, !isEnabled);
    }
    const double thickness = m_statusBar.thickness();
    if (m_isCombined) {
        relayoutCombined(enabled, thickness);
        return;
    }

    if (m_combinedItem)
        setVisibleIfChanged(*m_combinedItem, false);
    if (m_settingsItem)
        setVisibleIfChanged(*m_settingsItem, true);
    for (const auto& [id, slot] : m_slots) {
        if (slot->item) {
            setVisibleIfChanged(*slot->item, m_settings.isEnabled(id));
            // A hidden item's length is kept up to date too, so it shows at its width.
            setLengthIfChanged(*slot->item, slot->contentWidth + WidgetLifecycle::itemPadding);
        }
        setFrameIfChanged(*slot->hosting, QRectF(kReadingInset, 0, slot->contentWidth, thickness));
    }
}

// The combined branch: readings left to right, the gear glyph always last.
// Disabled widgets take no room; their views are hidden already.
void StatusBarController::relayoutCombined(const std::vector<Slot*>& enabled, double thickness) {
    if (m_settingsItem)
        setVisibleIfChanged(*m_settingsItem, false);
    for (const auto& [id, slot] : m_slots) {
        if (slot->item)
            setVisibleIfChanged(*slot->item, false);
    }
    if (m_combinedItem)
        setVisibleIfChanged(*m_combinedItem, true);

    std::vector<double> widths;
    widths.reserve(enabled.size() + 1);
    for (const Slot* slot : enabled)
        widths.push_back(slot->contentWidth);
    const double gearWidth = m_gearHosting ? wholePoints(m_gearHosting->fittingSize().width()) : 0;
    widths.push_back(gearWidth);
    const MenuBarFit::Layout layout = MenuBarFit::layout(widths);

    for (std::size_t i = 0; i < enabled.size(); ++i)
        setFrameIfChanged(*enabled[i]->hosting,
                          QRectF(layout.offsets[i], 0, enabled[i]->contentWidth, thickness));
    if (m_gearHosting && !layout.offsets.empty())
        setFrameIfChanged(*m_gearHosting, QRectF(layout.offsets.back(), 0, gearWidth, thickness));
    if (m_combinedItem)
        setLengthIfChanged(*m_combinedItem, layout.total);
}

void StatusBarController::applyEnabledState() {
    m_lifecycle.applyEnabledState(m_widgets);
    applyCombinedState();
}

void StatusBarController::applyCombinedState() {
    const bool wanted = m_settings.compactMenuBar() || m_autoCombined;
    if (wanted == m_isCombined)
        relayout();
    else
        setCombined(wanted);
}

void StatusBarController::setCombined(bool on) {
    // No popover may stay anchored to a reading that is about to move.
    m_popoverShower.closeAll();
    m_isCombined = on;
    if (on) {
        if (!m_combinedItem) {
            m_combinedItem = m_statusBar.statusItem(platform::StatusItem::kVariableLength);
            m_combinedItem->setAutosaveName(StatusItemNames::compact());
            if (platform::StatusBarButton* button = m_combinedItem->button()) {
                const QPointer<StatusBarController> self(this);
                button->setAction([self](platform::StatusBarButton& sender) {
                    if (self)
                        self->combinedClicked(sender);
                });
            }
        }
        if (!m_gearHosting)
            m_gearHosting =
                std::make_unique<PassthroughHostingView>(std::make_unique<QLabel>(kGearTitle));
    }
    platform::StatusBarButton* combinedButton = m_combinedItem ? m_combinedItem->button() : nullptr;
    for (const QString& id : m_slotOrder) {
        const auto found = m_slots.find(id);
        if (found != m_slots.end())
            attach(*found->second);
    }
    if (m_gearHosting) {
        m_gearHosting->removeFromSuperview();
        if (on && combinedButton)
            combinedButton->addSubview(m_gearHosting.get());
    }
    relayout();
}

void StatusBarController::startVisibilityMonitor() {
    if (m_monitorStarted || !m_environment)
        return;
    m_monitorStarted = true;
    const QPointer<StatusBarController> self(this);
    m_environment->startRepeating(kCheckInterval, [self] {
        if (self)
            self->checkVisibility();
    });
    DisplayEnvironment::Observers observers;
    observers.displaysChanged = [self] {
        if (self)
            self->displaysChanged();
    };
    observers.screensDidSleep = [self] {
        if (self)
            self->m_screensAsleep = true;
    };
    observers.screensDidWake = [self] {
        if (!self)
            return;
        self->m_screensAsleep = false;
        self->displaysChanged();
    };
    m_environment->observe(std::move(observers));
}

bool StatusBarController::autoCollapseAllowed() const {
    std::vector<bool> builtIn;
    for (const DisplayDescription& screen : m_environment->screens())
        if (screen.displayNumber)
            builtIn.push_back(screen.isBuiltIn);
    return MenuBarFit::autoCollapseAllowed(builtIn);
}

void StatusBarController::checkVisibility() {
    // Where the tray host owns the geometry, frames say nothing about hidden
    // items: no verdict, and no need to look at the screens.
    if (!m_statusBar.reportsItemFrames())
        return;
    if (!autoCollapseAllowed() || m_screensAsleep ||
        !m_displaySettle.isSettled(m_environment->now()) || m_autoCombined ||
        m_settings.compactMenuBar())
        return;

    std::vector<platform::StatusItem*> candidates;
    if (m_settingsItem)
        candidates.push_back(m_settingsItem);
    for (const QString& id : m_slotOrder) {
        const auto found = m_slots.find(id);
        if (found != m_slots.end() && found->second->item)
            candidates.push_back(found->second->item);
    }
    bool anyVerdict = false;
    bool anyHidden = false;
    for (platform::StatusItem* item : candidates) {
        if (const std::optional<bool> hidden = hiddenVerdict(*item)) {
            anyVerdict = true;
            anyHidden = anyHidden || *hidden;
        }
    }
    if (!anyVerdict)
        return;
    if (!m_hiddenDebounce.record(anyHidden))
        return;
    m_autoCombined = true;
    applyCombinedState();
}

std::optional<bool> StatusBarController::hiddenVerdict(platform::StatusItem& item) const {
    // Items the host hides itself, such as those of disabled widgets, do not count.
    if (!item.isVisible())
        return std::nullopt;
    const platform::StatusBarButton* button = item.button();
    const std::optional<platform::StatusItemWindow> window =
        button ? button->itemWindow() : std::nullopt;
    if (!window)
        return true;
    const std::optional<DisplayDescription> screen =
        window->screen ? m_environment->describe(*window->screen) : m_environment->mainScreen();
    if (!screen)
        return true;
    // A menu bar that takes no room (hidden, or shown only on demand) tells nothing.
    const double menuBarRoom = (screen->frame.y() + screen->frame.height()) -
                               (screen->visibleFrame.y() + screen->visibleFrame.height());
    if (menuBarRoom < 1.0)
        return std::nullopt;
    const QRectF usable = MenuBarFit::usableArea(screen->frame, screen->rightOfNotch);
    return MenuBarFit::isHidden(window->frame, window->screen.has_value(), usable);
}

void StatusBarController::displaysChanged() {
    m_displaySettle.noteChange(m_environment->now());
    m_hiddenDebounce.reset();
    if (m_revertWork) {
        m_environment->cancel(*m_revertWork);
        m_revertWork.reset();
    }
    if (!m_autoCombined)
        return;
    const QPointer<StatusBarController> self(this);
    m_revertWork = m_environment->schedule(kQuietPeriod + kRevertMargin, [self] {
        if (self)
            self->revert();
    });
}

void StatusBarController::revert() {
    m_revertWork.reset();
    if (!m_displaySettle.isSettled(m_environment->now()))
        return;
    m_autoCombined = false;
    applyCombinedState();
}

// The click's place in the button decides: the gear glyph opens the settings,
// anywhere else the nearest reading's popover, and past the readings the last one.
void StatusBarController::combinedClicked(platform::StatusBarButton& button) {
    const std::optional<QPointF> location = button.clickLocation();
    // A tray host owns the item's geometry and tells only where the pointer
    // was on the screen, which says nothing about the place inside the item:
    // the last reading's popover opens, as for a click past every reading.
    if (!location && m_statusBar.reportsItemFrames())
        return;
    if (location && m_gearHosting && holds(m_gearHosting->frame(), *location)) {
        openSettings();
        return;
    }
    const std::vector<Slot*> enabled = enabledSlots();
    if (enabled.empty())
        return;
    Slot* target = enabled.back();
    if (location) {
        const auto nearest = std::find_if(enabled.begin(), enabled.end(), [&](const Slot* slot) {
            return holds(slot->hosting->frame().adjusted(-kClickWidening, 0, kClickWidening, 0),
                         *location);
        });
        if (nearest != enabled.end())
            target = *nearest;
    }
    m_popoverShower.toggle(*target->popover, target->hosting.get());
}

std::unique_ptr<SettingsView> StatusBarController::makeSettingsView() {
    const QPointer<StatusBarController> self(this);
    return std::make_unique<SettingsView>(m_settings, m_widgets, m_loader, m_updateControls,
                                          [self] {
                                              if (self)
                                                  self->applyEnabledState();
                                          });
}

void StatusBarController::openSettings() {
    if (!m_settingsWindow)
        m_settingsWindow = std::make_unique<SettingsWindow>(makeSettingsView());

    platform::StatusItem* anchor = m_isCombined ? m_combinedItem : m_settingsItem;
    platform::StatusBarButton* button = anchor ? anchor->button() : nullptr;
    const std::optional<platform::StatusItemWindow> window =
        button ? button->itemWindow() : std::nullopt;
    std::optional<platform::Screen> screen;
    if (window)
        screen = window->screen ? window->screen : platform::Screen::main();
    if (window && screen) {
        m_settingsWindow->setFrameOrigin(SettingsPlacement::origin(
            m_settingsWindow->frameRect().size(), window->frame, screen->visibleFrame()));
    } else {
        m_settingsWindow->center();
    }

    m_settingsWindow->show();
    m_settingsWindow->raise();
    m_settingsWindow->activateWindow();
    platform::Application::activateIgnoringOtherApps();
}

const StatusBarController::Slot* StatusBarController::slot(const QString& widgetID) const {
    const auto found = m_slots.find(widgetID);
    return found == m_slots.end() ? nullptr : found->second.get();
}

} // namespace velto
