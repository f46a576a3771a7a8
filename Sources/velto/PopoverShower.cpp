#include "PopoverShower.h"

#include "Platform/Popover.h"

#include <QWidget>
#include <algorithm>

namespace velto {

using platform::Popover;

PopoverShower& PopoverShower::shared() {
    // Lives until the process ends, with the popovers it tracks.
    static PopoverShower* shower = new PopoverShower;
    return *shower;
}

PopoverShower::PopoverShower() = default;

PopoverShower::~PopoverShower() {
    removeClickAwayMonitor();
}

void PopoverShower::track(Popover& popover) {
    const bool listed =
        std::any_of(m_tracked.begin(), m_tracked.end(),
                    [&popover](const QPointer<Popover>& entry) { return entry == &popover; });
    if (listed)
        return;
    m_tracked.emplace_back(&popover);
    connect(&popover, &Popover::didClose, this, [this](Popover* closed) {
        if (closed)
            popoverDidClose(*closed);
    });
}

std::vector<Popover*> PopoverShower::tracked() const {
    std::vector<Popover*> alive;
    for (const QPointer<Popover>& entry : m_tracked)
        if (entry)
            alive.push_back(entry.data());
    return alive;
}

void PopoverShower::registerButton(const platform::StatusBarButton& button, Popover& popover,
                                   QWidget* anchor) {
    m_byButton[&button] = Target{&popover, anchor};
}

std::optional<PopoverShower::Target>
PopoverShower::target(const platform::StatusBarButton& button) const {
    const auto found = m_byButton.find(&button);
    if (found == m_byButton.end())
        return std::nullopt;
    return found->second;
}

platform::StatusBarButton::Action PopoverShower::toggleAction() {
    QPointer<PopoverShower> self(this);
    return [self](platform::StatusBarButton& button) {
        if (self)
            self->toggle(button);
    };
}

void PopoverShower::toggle(platform::StatusBarButton& button) {
    const std::optional<Target> entry = target(button);
    if (!entry || !entry->popover || !entry->anchor)
        return;
    toggle(*entry->popover, entry->anchor);
}

void PopoverShower::toggle(Popover& popover, QWidget* anchor) {
    if (popover.isShown()) {
        popover.performClose();
        return;
    }
    if (!anchor)
        return;
    // The popover that is closed here gives way to another one: its close
    // notice must not take the click-away monitor down in between.
    m_switching = true;
    for (Popover* other : tracked())
        if (other != &popover && other->isShown())
            other->performClose();
    m_switching = false;

    popover.show(QRectF(anchor->rect()), anchor, platform::RectEdge::MinY);
    if (popover.isShown())
        installClickAwayMonitor();
    else if (std::none_of(m_tracked.begin(), m_tracked.end(),
                          [](const QPointer<Popover>& entry) { return entry && entry->isShown(); }))
        removeClickAwayMonitor();
}

void PopoverShower::closeAll() {
    for (Popover* popover : tracked())
        if (popover->isShown())
            popover->performClose();
}

void PopoverShower::popoverDidClose(Popover&) {
    if (m_switching)
        return;
    for (Popover* popover : tracked())
        if (popover->isShown())
            return;
    removeClickAwayMonitor();
}

void PopoverShower::installClickAwayMonitor() {
    if (m_clickAwayMonitor)
        return;
    QPointer<PopoverShower> self(this);
    // An absent token leaves the field absent; the next toggle tries again.
    m_clickAwayMonitor = platform::EventMonitor::addGlobalMonitor(
        platform::EventMonitor::kAnyMouseDown, [self](const QPointF&) {
            if (self)
                self->closeAll();
        });
}

void PopoverShower::removeClickAwayMonitor() {
    if (m_clickAwayMonitor)
        platform::EventMonitor::removeMonitor(*m_clickAwayMonitor);
    m_clickAwayMonitor.reset();
}

} // namespace velto
