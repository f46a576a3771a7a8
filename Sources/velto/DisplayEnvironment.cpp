#include "DisplayEnvironment.h"

#include <Platform/Screen.h>
#include <Platform/SleepMonitor.h>
#include <Platform/StatusBar.h>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHash>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <map>

namespace velto {

DisplayEnvironment::~DisplayEnvironment() = default;

struct QtDisplayEnvironment::State {
    const platform::StatusBar* statusBar = nullptr;
    QElapsedTimer clock;
    Observers observers;
    std::vector<std::unique_ptr<QTimer>> repeating;
    std::map<WorkID, std::unique_ptr<QTimer>> pending;
    WorkID nextWork = 1;
    std::unique_ptr<platform::SleepMonitor> sleepMonitor;
};

namespace {

int milliseconds(double seconds) {
    return static_cast<int>(std::lround(std::max(0.0, seconds) * 1000.0));
}

} // namespace

QtDisplayEnvironment::QtDisplayEnvironment(const platform::StatusBar* statusBar)
    : m_state(std::make_unique<State>()) {
    m_state->statusBar = statusBar;
    m_state->clock.start();

    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        for (QScreen* screen : QGuiApplication::screens())
            followScreen(screen);
        connect(app, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
            followScreen(screen);
            notifyDisplaysChanged();
        });
        connect(app, &QGuiApplication::screenRemoved, this, [this] { notifyDisplaysChanged(); });
        connect(app, &QGuiApplication::primaryScreenChanged, this,
                [this] { notifyDisplaysChanged(); });
    }

    m_state->sleepMonitor = std::make_unique<platform::SleepMonitor>();
    connect(m_state->sleepMonitor.get(), &platform::SleepMonitor::willSleep, this, [this] {
        if (m_state->observers.screensDidSleep)
            m_state->observers.screensDidSleep();
    });
    connect(m_state->sleepMonitor.get(), &platform::SleepMonitor::didWake, this, [this] {
        if (m_state->observers.screensDidWake)
            m_state->observers.screensDidWake();
    });
}

QtDisplayEnvironment::~QtDisplayEnvironment() = default;

// Only the geometry counts as a display change, not the available geometry:
// panels come and go with the desktop, and the own bar's strut would otherwise
// undo every switch that it causes.
void QtDisplayEnvironment::followScreen(QObject* screen) {
    auto* qtScreen = qobject_cast<QScreen*>(screen);
    if (!qtScreen)
        return;
    connect(qtScreen, &QScreen::geometryChanged, this, [this] { notifyDisplaysChanged(); });
}

void QtDisplayEnvironment::notifyDisplaysChanged() {
    if (m_state->observers.displaysChanged)
        m_state->observers.displaysChanged();
}

double QtDisplayEnvironment::now() const {
    return static_cast<double>(m_state->clock.nsecsElapsed()) / 1e9;
}

void QtDisplayEnvironment::startRepeating(double interval, std::function<void()> tick) {
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(milliseconds(interval));
    connect(timer.get(), &QTimer::timeout, this, [tick = std::move(tick)] {
        if (tick)
            tick();
    });
    timer->start();
    m_state->repeating.push_back(std::move(timer));
}

DisplayEnvironment::WorkID QtDisplayEnvironment::schedule(double delay,
                                                          std::function<void()> work) {
    const WorkID id = m_state->nextWork++;
    auto timer = std::make_unique<QTimer>();
    timer->setSingleShot(true);
    timer->setInterval(milliseconds(delay));
    connect(timer.get(), &QTimer::timeout, this, [this, id, work = std::move(work)]() mutable {
        const auto found = m_state->pending.find(id);
        if (found == m_state->pending.end())
            return;
        // The timer is inside its own signal: let the event loop delete it.
        found->second.release()->deleteLater();
        m_state->pending.erase(found);
        const std::function<void()> run = std::move(work);
        if (run)
            run();
    });
    timer->start();
    m_state->pending.emplace(id, std::move(timer));
    return id;
}

void QtDisplayEnvironment::cancel(WorkID work) {
    m_state->pending.erase(work);
}

std::vector<DisplayDescription> QtDisplayEnvironment::screens() const {
    std::vector<DisplayDescription> result;
    for (const platform::Screen& screen : platform::Screen::screens())
        if (const std::optional<DisplayDescription> description = describe(screen))
            result.push_back(*description);
    return result;
}

std::optional<DisplayDescription> QtDisplayEnvironment::mainScreen() const {
    const std::optional<platform::Screen> screen = platform::Screen::main();
    return screen ? describe(*screen) : std::nullopt;
}

std::optional<DisplayDescription>
QtDisplayEnvironment::describe(const platform::Screen& screen) const {
    if (!screen.qtScreen())
        return std::nullopt;
    DisplayDescription description;
    description.frame = screen.frame();
    description.visibleFrame = screen.visibleFrame();
    description.rightOfNotch = screen.auxiliaryTopRightArea();
    description.isBuiltIn = screen.isBuiltIn();
    const QString name = screen.name();
    if (!name.isEmpty())
        description.displayNumber = static_cast<std::uint32_t>(qHash(name, 0));

    // A bar with real frames is velto's own strip, at the top of the primary
    // screen's free area: that screen's menu bar.
    const platform::StatusBar* bar = m_state->statusBar;
    if (bar && bar->reportsItemFrames() && screen == platform::Screen::main()) {
        QRectF& visible = description.visibleFrame;
        visible.setHeight(std::max(0.0, visible.height() - bar->thickness()));
    }
    return description;
}

void QtDisplayEnvironment::observe(Observers observers) {
    m_state->observers = std::move(observers);
}

} // namespace velto
