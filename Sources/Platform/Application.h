#pragma once

#include <functional>

class QObject;

namespace velto::platform {

/// The application object and the main queue.
namespace Application {

/**
 * Picks Qt's offscreen platform when there is no display at all (neither
 * DISPLAY nor WAYLAND_DISPLAY set) and the user chose no platform. Call before
 * the QApplication is made.
 */
void chooseDisplayPlatform();

/**
 * Keeps Qt's own debug and warning chatter off the console, where only
 * velto's fixed lines belong; set VELTO_QT_MESSAGES=1 to see it again.
 */
void quietQtMessages();

/// An accessory application: no main window, quitting only when asked to.
void makeAccessory();

/// Brings the application to the front before a modal alert.
void activateIgnoringOtherApps();

/**
 * Runs @p work on the main thread @p seconds from now, between events. Work
 * with a @p context runs only while the context lives.
 */
void runOnMainQueue(double seconds, std::function<void()> work, QObject* context = nullptr);

/// Ends the event loop; the process exits with @p status.
void terminate(int status = 0);

} // namespace Application
} // namespace velto::platform
