#include "Platform/OwnStatusBar.h"

#include "Platform/OwnBarLayout.h"
#include "Platform/OwnStatusBarButton.h"
#include "Platform/OwnStatusItem.h"
#include "Platform/ScreenCoordinates.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cmath>

namespace velto::platform {

namespace {

QRect pixelRect(const QRectF& frame) {
    const int left = static_cast<int>(std::lround(frame.left()));
    const int right = static_cast<int>(std::lround(frame.right()));
    return QRect(left, static_cast<int>(std::lround(frame.top())), std::max(0, right - left),
                 static_cast<int>(std::lround(frame.height())));
}

} // namespace

OwnStatusBar::OwnStatusBar()
    : m_window(std::make_unique<QWidget>(nullptr, Qt::Tool | Qt::FramelessWindowHint |
                                                      Qt::WindowStaysOnTopHint |
                                                      Qt::WindowDoesNotAcceptFocus)) {
    m_window->setWindowTitle(QStringLiteral("velto"));
    m_window->setObjectName(QStringLiteral("veltoStatusBar"));
    m_window->setAttribute(Qt::WA_ShowWithoutActivating);
    // A dock window on X11: the window manager keeps it above others and out of task lists.
    m_window->setAttribute(Qt::WA_X11NetWmWindowTypeDock);
    m_window->setAutoFillBackground(true);

    // The strip follows the primary screen: its size, its panels, a new primary.
    QWidget* context = m_window.get();
    const auto follow = [this, context](QScreen* screen) {
        if (!screen)
            return;
        QObject::connect(screen, &QScreen::geometryChanged, context, [this] { relayout(); });
        QObject::connect(screen, &QScreen::availableGeometryChanged, context,
                         [this] { relayout(); });
    };
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        for (QScreen* screen : QGuiApplication::screens())
            follow(screen);
        QObject::connect(app, &QGuiApplication::screenAdded, context, follow);
        QObject::connect(app, &QGuiApplication::primaryScreenChanged, context,
                         [this] { relayout(); });
    }
}

OwnStatusBar::~OwnStatusBar() {
    m_items.clear();
}

StatusItem* OwnStatusBar::statusItem(double length) {
    m_items.push_back(std::make_unique<OwnStatusItem>(*this, m_window.get(), length));
    StatusItem* item = m_items.back().get();
    relayout();
    return item;
}

QWidget* OwnStatusBar::window() const {
    return m_window.get();
}

std::vector<StatusItem*> OwnStatusBar::items() const {
    std::vector<StatusItem*> list;
    for (const auto& item : m_items)
        list.push_back(item.get());
    return list;
}

QRectF OwnStatusBar::qtGeometry() const {
    return m_geometry;
}

StatusItem* OwnStatusBar::itemAt(const QPointF& qtGlobalPoint) const {
    if (m_geometry.isEmpty())
        return nullptr;
    const std::optional<std::size_t> index =
        OwnBarLayout::itemAt(m_localFrames, qtGlobalPoint - m_geometry.topLeft());
    return index && *index < m_items.size() ? m_items[*index].get() : nullptr;
}

void OwnStatusBar::relayout() {
    // A button whose content changes while the bar places it asks again; one
    // more pass then follows instead of a nested one.
    if (m_inRelayout) {
        m_relayoutAgain = true;
        return;
    }
    m_inRelayout = true;
    int passes = 0;
    do {
        m_relayoutAgain = false;
        placeOnce();
    } while (m_relayoutAgain && ++passes < 4);
    m_inRelayout = false;
    if (m_laidOut)
        m_laidOut();
}

void OwnStatusBar::setOffScreen(bool offScreen) {
    if (offScreen == m_offScreen)
        return;
    m_offScreen = offScreen;
    m_anchorItem = nullptr;
    m_anchorPoint.reset();
    // The attribute only takes effect from the next show.
    const bool wasVisible = m_window->isVisible();
    m_window->hide();
    m_window->setAttribute(Qt::WA_DontShowOnScreen, offScreen);
    if (wasVisible)
        m_window->show();
    relayout();
}

void OwnStatusBar::placeItemAt(const StatusItem* item, std::optional<QPointF> qtGlobalPoint) {
    if (!m_offScreen)
        return;
    m_anchorItem = qtGlobalPoint ? item : nullptr;
    m_anchorPoint = item ? qtGlobalPoint : std::nullopt;
    relayout();
}

void OwnStatusBar::placeOnce() {
    ++m_relayouts;
    std::vector<OwnBarLayout::Entry> entries;
    entries.reserve(m_items.size());
    for (const auto& item : m_items)
        entries.push_back({item->length(), item->isVisible(), item->ownButton().contentWidth()});
    const OwnBarLayout::Placement placement = OwnBarLayout::layout(entries, thickness());

    QScreen* primary = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                           ? QGuiApplication::primaryScreen()
                           : nullptr;
    const int width = static_cast<int>(std::ceil(placement.width));
    bool anyVisible = false;
    for (const auto& frame : placement.frames)
        anyVisible = anyVisible || frame.has_value();

    m_localFrames.assign(m_items.size(), std::nullopt);
    if (!primary || !anyVisible || width <= 0) {
        m_geometry = QRectF();
        for (const auto& item : m_items) {
            item->ownButton().setScreenFrame(std::nullopt);
            item->ownButton().setVisible(false);
        }
        m_window->hide();
        return;
    }

    // The strip's right edge meets the right edge of the primary screen's free
    // area, below any panel the desktop keeps at the top.
    const QRect available = primary->availableGeometry();
    QRect strip(available.x() + available.width() - width, available.y(), width,
                static_cast<int>(std::lround(thickness())));
    if (m_offScreen && m_anchorPoint)
        strip.moveTopLeft(anchoredOrigin(placement, strip.size()));
    m_geometry = QRectF(strip);
    const QRectF primaryGeometry(primary->geometry());
    // Fractional lengths leave the strip's width rounded up; items keep to its right edge.
    const double shift = strip.width() - placement.width;

    for (std::size_t i = 0; i < m_items.size(); ++i) {
        OwnStatusBarButton& button = m_items[i]->ownButton();
        const std::optional<QRectF>& frame = placement.frames[i];
        if (!frame) {
            button.setScreenFrame(std::nullopt);
            button.setVisible(false);
            continue;
        }
        const QRectF local = frame->translated(shift, 0.0);
        m_localFrames[i] = local;
        button.setGeometry(pixelRect(local));
        button.setScreenFrame(
            ScreenCoordinates::fromQt(local.translated(strip.topLeft()), primaryGeometry));
        button.setVisible(true);
    }
    if (m_window->geometry() != strip)
        m_window->setGeometry(strip);
    // A window kept off screen does not pass its geometry on to its native
    // window, which is where positions on screen are mapped from.
    if (QWindow* handle = m_window->windowHandle();
        handle && m_offScreen && handle->geometry() != strip)
        handle->setGeometry(strip);
    if (!m_window->isVisible())
        m_window->show();
}

QPoint OwnStatusBar::anchoredOrigin(const OwnBarLayout::Placement& placement,
                                    const QSize& stripSize) const {
    const QPointF point = *m_anchorPoint;
    QRectF local;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].get() == m_anchorItem && placement.frames[i])
            local = placement.frames[i]->translated(stripSize.width() - placement.width, 0.0);
    }
    QPointF origin = point - local.center();
    QScreen* screen = QGuiApplication::screenAt(point.toPoint());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        // The strip stays inside that screen, as a popover below it would.
        const QRectF area(screen->geometry());
        origin.setX(std::clamp(origin.x(), area.left(),
                               std::max(area.left(), area.x() + area.width() - stripSize.width())));
        origin.setY(
            std::clamp(origin.y(), area.top(),
                       std::max(area.top(), area.y() + area.height() - stripSize.height())));
    }
    return QPoint(static_cast<int>(std::lround(origin.x())),
                  static_cast<int>(std::lround(origin.y())));
}

} // namespace velto::platform
