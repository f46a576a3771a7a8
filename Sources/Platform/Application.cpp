#include "Platform/Application.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>

namespace velto::platform::Application {

void chooseDisplayPlatform() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return;
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

void quietQtMessages() {
    if (qEnvironmentVariableIsSet("VELTO_QT_MESSAGES"))
        return;
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    });
}

void makeAccessory() {
    QApplication::setQuitOnLastWindowClosed(false);
}

void activateIgnoringOtherApps() {
    if (QWidget* window = QApplication::activeWindow())
        window->raise();
}

void runOnMainQueue(double seconds, std::function<void()> work, QObject* context) {
    // QTimer counts in int milliseconds: clamp to what it can hold, about 24 days.
    constexpr double maxMilliseconds = static_cast<double>(std::numeric_limits<int>::max());
    double milliseconds = std::isfinite(seconds) ? seconds * 1000.0 : maxMilliseconds;
    milliseconds = std::clamp(milliseconds, 0.0, maxMilliseconds);
    const auto delay = std::chrono::milliseconds(static_cast<int>(std::llround(milliseconds)));
    if (context)
        QTimer::singleShot(delay, Qt::PreciseTimer, context, std::move(work));
    else
        QTimer::singleShot(delay, Qt::PreciseTimer, qApp, std::move(work));
}

void terminate(int status) {
    QCoreApplication::exit(status);
}

} // namespace velto::platform::Application
