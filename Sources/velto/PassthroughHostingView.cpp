#include "PassthroughHostingView.h"

namespace velto {

PassthroughHostingView::PassthroughHostingView(std::unique_ptr<QWidget> rootView, QWidget* parent)
    : HostingView(std::move(rootView), parent) {
    // Qt skips this view and everything in it when it looks for a mouse
    // event's receiver, so the button underneath gets the click.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QWidget* PassthroughHostingView::hitTest(const QPointF&) const {
    return nullptr;
}

void PassthroughHostingView::layout() {
    HostingView::layout();
    if (m_isReporting)
        return;
    // onLayout may resize this view, which lays it out again inside the
    // callback; that inner pass must not report a second time.
    m_isReporting = true;
    if (m_onLayout) {
        const std::function<void()> report = m_onLayout;
        report();
    }
    m_isReporting = false;
}

} // namespace velto
