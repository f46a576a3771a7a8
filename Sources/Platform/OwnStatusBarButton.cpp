#include "Platform/OwnStatusBarButton.h"

#include "Platform/HostingView.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace velto::platform {

namespace {

// Room on either side of a title or image in a variable-length item.
constexpr double kContentPadding = 4.0;

} // namespace

OwnStatusBarButton::OwnStatusBarButton(QWidget* barWindow, std::function<void()> contentChanged)
    : QWidget(barWindow), m_contentChanged(std::move(contentChanged)) {
    setAttribute(Qt::WA_Hover);
}

OwnStatusBarButton::~OwnStatusBarButton() {
    // Subviews belong to whoever added them; hand them back before Qt deletes children.
    for (const QPointer<QWidget>& view : m_subviews) {
        if (!view || view->parentWidget() != this)
            continue;
        view->removeEventFilter(this);
        if (auto* hosting = qobject_cast<HostingView*>(view.data()))
            hosting->removeFromSuperview();
        else
            view->setParent(nullptr);
    }
}

void OwnStatusBarButton::setTitle(const QString& title) {
    if (title == m_title)
        return;
    m_title = title;
    update();
    if (m_contentChanged)
        m_contentChanged();
}

void OwnStatusBarButton::setImage(const QPixmap& image) {
    m_image = image;
    update();
    if (m_contentChanged)
        m_contentChanged();
}

void OwnStatusBarButton::addSubview(QWidget* view) {
    if (!view || view == this)
        return;
    std::erase_if(m_subviews,
                  [view](const QPointer<QWidget>& entry) { return !entry || entry == view; });
    if (auto* hosting = qobject_cast<HostingView*>(view)) {
        hosting->moveToSuperview(this);
    } else {
        const bool hiddenOnPurpose =
            view->isHidden() && view->testAttribute(Qt::WA_WState_ExplicitShowHide);
        view->setParent(this);
        view->setVisible(!hiddenOnPurpose);
    }
    m_subviews.emplace_back(view);
    view->installEventFilter(this);
    if (m_contentChanged)
        m_contentChanged();
}

std::vector<QWidget*> OwnStatusBarButton::subviews() const {
    std::vector<QWidget*> views;
    for (const QPointer<QWidget>& view : m_subviews)
        if (view && view->parentWidget() == this)
            views.push_back(view.data());
    return views;
}

std::optional<StatusItemWindow> OwnStatusBarButton::itemWindow() const {
    if (!m_screenFrame)
        return std::nullopt;
    return StatusItemWindow{*m_screenFrame, Screen::main()};
}

void OwnStatusBarButton::performClick() {
    if (!m_action)
        return;
    // The action may replace itself; run a copy.
    const Action action = m_action;
    action(*this);
}

double OwnStatusBarButton::contentWidth() const {
    const std::vector<QWidget*> views = subviews();
    if (!views.empty()) {
        double right = 0.0;
        for (QWidget* view : views) {
            if (view->isHidden())
                continue;
            const auto* hosting = qobject_cast<const HostingView*>(view);
            right = std::max(right, hosting ? hosting->frame().right()
                                            : double(view->geometry().right() + 1));
        }
        return right;
    }
    if (!m_image.isNull())
        return m_image.deviceIndependentSize().width() + 2 * kContentPadding;
    if (!m_title.isEmpty())
        return std::ceil(QFontMetricsF(font()).horizontalAdvance(m_title)) + 2 * kContentPadding;
    return 0.0;
}

QSize OwnStatusBarButton::sizeHint() const {
    return QSize(static_cast<int>(std::ceil(contentWidth())), height());
}

bool OwnStatusBarButton::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        if (watched->parent() == this && m_contentChanged)
            m_contentChanged();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void OwnStatusBarButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_pressed) {
        QColor shade = palette().color(QPalette::Highlight);
        shade.setAlphaF(0.35f);
        painter.fillRect(rect(), shade);
    }
    if (!m_image.isNull()) {
        const QSizeF size = m_image.deviceIndependentSize();
        const QPointF topLeft((width() - size.width()) / 2.0, (height() - size.height()) / 2.0);
        painter.drawPixmap(topLeft, m_image);
    } else if (!m_title.isEmpty()) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect(), Qt::AlignCenter, m_title);
    }
}

void OwnStatusBarButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_pressed = true;
    update();
    event->accept();
}

void OwnStatusBarButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_pressed) {
        event->ignore();
        return;
    }
    m_pressed = false;
    update();
    event->accept();
    if (rect().contains(event->position().toPoint()))
        clickAt(event->position());
}

void OwnStatusBarButton::clickAt(const QPointF& location) {
    // The action may read where it was clicked, and only while it runs.
    m_clickLocation = location;
    performClick();
    m_clickLocation.reset();
}

} // namespace velto::platform
