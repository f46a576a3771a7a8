#include "Platform/PopoverWindow.h"

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace velto::platform {

namespace {

constexpr Qt::WindowFlags kTransientFlags = Qt::Popup | Qt::FramelessWindowHint;
constexpr Qt::WindowFlags kStayingFlags =
    Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
// The one-pixel outline drawn around the content.
constexpr int kBorder = 1;

} // namespace

PopoverWindow::PopoverWindow(std::function<void()> hidden)
    : QWidget(nullptr, kStayingFlags), m_hidden(std::move(hidden)),
      m_layout(new QVBoxLayout(this)) {
    setObjectName(QStringLiteral("veltoPopover"));
    setAutoFillBackground(true);
    m_layout->setContentsMargins(kBorder, kBorder, kBorder, kBorder);
    m_layout->setSpacing(0);
    // The window always takes its content's own size.
    m_layout->setSizeConstraint(QLayout::SetFixedSize);
}

PopoverWindow::~PopoverWindow() {
    m_hidden = nullptr;
}

void PopoverWindow::setContent(QWidget* content) {
    if (m_content == content)
        return;
    delete m_content.data();
    m_content = content;
    if (content)
        m_layout->addWidget(content);
}

void PopoverWindow::setTransient(bool transient) {
    const Qt::WindowFlags wanted = transient ? kTransientFlags : kStayingFlags;
    if (windowFlags() != wanted)
        setWindowFlags(wanted);
}

void PopoverWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (m_hidden)
        m_hidden();
}

namespace {

struct OutsideClose {
    QPointer<const QWidget> button;
    QElapsedTimer since;
};

OutsideClose& lastOutsideClose() {
    static OutsideClose close;
    return close;
}

} // namespace

bool PopoverWindow::closedByPressOutsideRecently(const QWidget* button, int milliseconds) {
    const OutsideClose& close = lastOutsideClose();
    return button && close.button == button && close.since.isValid() &&
           close.since.elapsed() < milliseconds;
}

void PopoverWindow::mousePressEvent(QMouseEvent* event) {
    const bool outside = windowType() == Qt::Popup && !rect().contains(event->position().toPoint());
    if (outside && isOnAnchorButton(event->globalPosition()))
        setAttribute(Qt::WA_NoMouseReplay);
    if (outside && m_anchor) {
        lastOutsideClose().button = m_anchor->parentWidget();
        lastOutsideClose().since.start();
    }
    // For a popup, Qt closes it here when the press is outside.
    QWidget::mousePressEvent(event);
}

void PopoverWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

bool PopoverWindow::isOnAnchorButton(const QPointF& globalPosition) const {
    if (!m_anchor)
        return false;
    // The anchor sits inside the button that toggles this popover.
    const QWidget* button = m_anchor->parentWidget() ? m_anchor->parentWidget() : m_anchor.data();
    const QRect area(button->mapToGlobal(QPoint(0, 0)), button->size());
    return area.contains(globalPosition.toPoint());
}

} // namespace velto::platform
