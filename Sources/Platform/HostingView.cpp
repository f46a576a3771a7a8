#include "Platform/HostingView.h"

#include <QEvent>
#include <QResizeEvent>
#include <cmath>

namespace velto::platform {

namespace {

// Rounds the edges, not the size, so neighbouring frames stay adjacent.
QRect pixelRect(const QRectF& frame) {
    const int left = static_cast<int>(std::lround(frame.left()));
    const int top = static_cast<int>(std::lround(frame.top()));
    const int right = static_cast<int>(std::lround(frame.right()));
    const int bottom = static_cast<int>(std::lround(frame.bottom()));
    return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}

} // namespace

HostingView::HostingView(std::unique_ptr<QWidget> rootView, QWidget* parent)
    : QWidget(parent), m_rootView(rootView ? rootView.release() : new QWidget) {
    m_rootView->setParent(this);
    m_rootView->show();
}

HostingView::~HostingView() = default;

QSizeF HostingView::fittingSize() const {
    if (const auto* provider = dynamic_cast<const FittingSizeProvider*>(m_rootView)) {
        const QSizeF size = provider->fittingSize();
        return QSizeF(std::isfinite(size.width()) ? std::max(0.0, size.width()) : 0.0,
                      std::isfinite(size.height()) ? std::max(0.0, size.height()) : 0.0);
    }
    const QSize hint = m_rootView->sizeHint().expandedTo(m_rootView->minimumSizeHint());
    return QSizeF(std::max(0, hint.width()), std::max(0, hint.height()));
}

QRectF HostingView::frame() const {
    // The exact frame holds as long as nobody else moved the widget.
    if (pixelRect(m_frame) == geometry() && !m_frame.isNull())
        return m_frame;
    return QRectF(geometry());
}

void HostingView::setFrame(const QRectF& frame) {
    ++m_frameAssignments;
    m_frame = frame;
    setGeometry(pixelRect(frame));
}

void HostingView::removeFromSuperview() {
    if (!parentWidget())
        return;
    m_reparenting = true;
    setParent(nullptr);
    m_reparenting = false;
}

void HostingView::moveToSuperview(QWidget* superview) {
    if (!superview) {
        removeFromSuperview();
        return;
    }
    if (parentWidget() != superview) {
        m_reparenting = true;
        const QRect placed = geometry();
        setParent(superview);
        setGeometry(placed);
        m_reparenting = false;
    }
    QWidget::setVisible(!m_hiddenWanted);
}

void HostingView::setVisible(bool visible) {
    if (!m_reparenting)
        m_hiddenWanted = !visible;
    QWidget::setVisible(visible);
}

QWidget* HostingView::hitTest(const QPointF& point) const {
    if (!rect().contains(point.toPoint()))
        return nullptr;
    QWidget* child = childAt(point.toPoint());
    return child ? child : const_cast<HostingView*>(this);
}

void HostingView::layout() {
    ++m_layoutPasses;
    m_rootView->setGeometry(rect());
}

bool HostingView::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    // The root view's size hint changed (new text, for instance).
    if (event->type() == QEvent::LayoutRequest)
        layout();
    return handled;
}

void HostingView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layout();
}

} // namespace velto::platform
