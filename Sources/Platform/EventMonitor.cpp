#include "Platform/EventMonitor.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QWindow>
#include <map>
#include <utility>
#include <vector>

namespace velto::platform::EventMonitor {

namespace {

std::uint64_t maskFor(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return kLeftMouseDown;
    case Qt::RightButton:
        return kRightMouseDown;
    default:
        return kOtherMouseDown;
    }
}

struct Monitor {
    std::uint64_t mask;
    Handler handler;
};

// One filter on the application serves every monitor.
class PressFilter : public QObject {
public:
    std::map<Token, Monitor> monitors;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // A press reaches the application once for the window and again for
        // the widget inside it; the window's copy is the one to look at.
        if (event->type() != QEvent::MouseButtonPress || !watched->isWindowType())
            return false;
        const auto* press = static_cast<QMouseEvent*>(event);
        const QPointF global = press->globalPosition();
        if (QGuiApplication::topLevelAt(global.toPoint()))
            return false;
        const std::uint64_t bit = maskFor(press->button());
        std::vector<Handler> handlers;
        for (const auto& [token, monitor] : monitors)
            if (monitor.mask & bit)
                handlers.push_back(monitor.handler);
        // Handlers may add or remove monitors, so they run on a copy.
        for (const Handler& handler : handlers)
            handler(global);
        return false;
    }
};

QPointer<PressFilter>& filterSlot() {
    static QPointer<PressFilter> filter;
    return filter;
}

Token& lastToken() {
    static Token token = 0;
    return token;
}

int& installs() {
    static int count = 0;
    return count;
}

} // namespace

std::optional<Token> addGlobalMonitor(std::uint64_t mask, Handler handler) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || !handler || !(mask & kAnyMouseDown))
        return std::nullopt;
    QPointer<PressFilter>& filter = filterSlot();
    if (!filter) {
        filter = new PressFilter;
        filter->setParent(app);
    }
    // Filtering only while someone listens keeps every other event free of it.
    if (filter->monitors.empty())
        app->installEventFilter(filter);
    const Token token = ++lastToken();
    filter->monitors.emplace(token, Monitor{mask, std::move(handler)});
    ++installs();
    return token;
}

void removeMonitor(Token token) {
    PressFilter* filter = filterSlot();
    if (!filter)
        return;
    if (filter->monitors.erase(token) && filter->monitors.empty())
        QCoreApplication::instance()->removeEventFilter(filter);
}

int installedCount() {
    PressFilter* filter = filterSlot();
    return filter ? static_cast<int>(filter->monitors.size()) : 0;
}

int totalInstalled() {
    return installs();
}

} // namespace velto::platform::EventMonitor
