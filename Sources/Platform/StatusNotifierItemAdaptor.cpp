#include "Platform/StatusNotifierItemAdaptor.h"

#include "Platform/StatusNotifierItem.h"

namespace velto::platform {

StatusNotifierItemAdaptor::StatusNotifierItemAdaptor(StatusNotifierItem* item)
    : QDBusAbstractAdaptor(item), m_item(item) {
    setAutoRelaySignals(true);
}

StatusNotifierItemAdaptor::~StatusNotifierItemAdaptor() = default;

QString StatusNotifierItemAdaptor::id() const {
    return m_item->id();
}

QString StatusNotifierItemAdaptor::category() const {
    return m_item->category();
}

QString StatusNotifierItemAdaptor::title() const {
    return m_item->title();
}

QString StatusNotifierItemAdaptor::status() const {
    return m_item->status();
}

TrayPixmapList StatusNotifierItemAdaptor::iconPixmap() const {
    return m_item->icon();
}

TrayToolTip StatusNotifierItemAdaptor::toolTip() const {
    return m_item->toolTip();
}

QString StatusNotifierItemAdaptor::label() const {
    return m_item->label();
}

QString StatusNotifierItemAdaptor::labelGuide() const {
    return m_item->labelGuide();
}

void StatusNotifierItemAdaptor::Activate(int x, int y) {
    m_item->hostActivated(x, y);
}

void StatusNotifierItemAdaptor::SecondaryActivate(int x, int y) {
    m_item->hostSecondaryActivated(x, y);
}

void StatusNotifierItemAdaptor::ContextMenu(int x, int y) {
    m_item->hostAskedForContextMenu(x, y);
}

void StatusNotifierItemAdaptor::Scroll(int, const QString&) {}

} // namespace velto::platform
