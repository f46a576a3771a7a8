#include "Platform/Screen.h"

#include "Platform/ScreenCoordinates.h"

#include <QGuiApplication>
#include <QScreen>

namespace velto::platform {

namespace {

QRectF primaryGeometry() {
    QScreen* primary = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                           ? QGuiApplication::primaryScreen()
                           : nullptr;
    return primary ? QRectF(primary->geometry()) : QRectF();
}

} // namespace

Screen::Screen(QScreen* screen) : m_screen(screen) {}

std::optional<Screen> Screen::main() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return std::nullopt;
    QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return std::nullopt;
    return Screen(primary);
}

std::vector<Screen> Screen::screens() {
    std::vector<Screen> result;
    const std::optional<Screen> primary = main();
    if (!primary)
        return result;
    result.push_back(*primary);
    for (QScreen* screen : QGuiApplication::screens())
        if (screen != primary->qtScreen())
            result.emplace_back(screen);
    return result;
}

std::optional<Screen> Screen::at(const QPointF& qtGlobalPoint) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return std::nullopt;
    QScreen* screen = QGuiApplication::screenAt(qtGlobalPoint.toPoint());
    if (!screen)
        return std::nullopt;
    return Screen(screen);
}

QRectF Screen::frame() const {
    return m_screen ? ScreenCoordinates::fromQt(QRectF(m_screen->geometry()), primaryGeometry())
                    : QRectF();
}

QRectF Screen::visibleFrame() const {
    return m_screen
               ? ScreenCoordinates::fromQt(QRectF(m_screen->availableGeometry()), primaryGeometry())
               : QRectF();
}

bool Screen::isBuiltIn() const {
    return m_screen && isBuiltInConnectorName(m_screen->name());
}

QString Screen::name() const {
    return m_screen ? m_screen->name() : QString();
}

QScreen* Screen::qtScreen() const {
    return m_screen.data();
}

bool Screen::operator==(const Screen& other) const {
    return qtScreen() == other.qtScreen();
}

bool Screen::isBuiltInConnectorName(const QString& name) {
    QStringView connector(name);
    // DRM names the connector folder "card0-eDP-1"; the window system says "eDP-1" or "eDP1".
    if (connector.startsWith(u"card")) {
        const qsizetype dash = connector.indexOf(u'-');
        if (dash < 0)
            return false;
        connector = connector.mid(dash + 1);
    }
    for (const char16_t* prefix : {u"eDP", u"LVDS", u"DSI"})
        if (connector.startsWith(QStringView(prefix), Qt::CaseInsensitive))
            return true;
    return false;
}

} // namespace velto::platform
