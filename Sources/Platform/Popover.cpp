#include "Platform/Popover.h"

#include "Platform/PopoverWindow.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace velto::platform {

Popover::Popover(QObject* parent)
    : QObject(parent), m_window(std::make_unique<PopoverWindow>([this] { windowHidden(); })) {}

Popover::~Popover() {
    // Going away is not a close anyone needs to hear about.
    m_window->forgetOwner();
    m_shown = false;
}

void Popover::setContent(std::unique_ptr<QWidget> content) {
    m_window->setContent(content.release());
}

QWidget* Popover::content() const {
    return m_window->content();
}

void Popover::setBehavior(Behavior behavior) {
    m_behavior = behavior;
}

bool Popover::isShown() const {
    return m_shown;
}

void Popover::setAboutToShow(std::function<void()> aboutToShow) {
    m_aboutToShow = std::move(aboutToShow);
}

void Popover::show(const QRectF& rect, QWidget* anchor, RectEdge preferredEdge) {
    // A view that is not on screen gives the popover nothing to point at.
    if (!anchor || !anchor->isVisible())
        return;
    if (!m_shown && m_aboutToShow)
        m_aboutToShow();
    m_anchor = anchor;
    m_window->setAnchor(anchor);
    if (!m_shown)
        m_window->setTransient(m_behavior == Behavior::Transient);
    if (QLayout* layout = m_window->layout())
        layout->activate();
    m_window->adjustSize();

    const QRectF anchorRect(QPointF(anchor->mapToGlobal(rect.topLeft().toPoint())), rect.size());
    QScreen* screen = QGuiApplication::screenAt(anchorRect.center().toPoint());
    if (!screen)
        screen = anchor->screen();
    const QRectF available = screen ? QRectF(screen->availableGeometry()) : QRectF(anchorRect);
    const QPointF topLeft =
        PopoverPlacement::origin(QSizeF(m_window->size()), anchorRect, available, preferredEdge);
    m_window->move(topLeft.toPoint());
    if (m_shown) {
        m_window->raise();
        return;
    }
    // Window systems place a popup relative to the window it belongs to (Wayland insists on one).
    m_window->winId();
    if (QWindow* handle = m_window->windowHandle())
        handle->setTransientParent(anchor->window()->windowHandle());
    m_shown = true;
    m_window->show();
}

void Popover::performClose() {
    if (!m_shown)
        return;
    m_window->close();
    // A window that refused to close is still hidden, so the popover is closed either way.
    if (m_window->isVisible())
        m_window->hide();
}

QWidget* Popover::window() const {
    return m_window.get();
}

void Popover::windowHidden() {
    if (!m_shown)
        return;
    m_shown = false;
    Q_EMIT didClose(this);
}

} // namespace velto::platform
